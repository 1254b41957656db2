// A library that loads but offers no DSM_Entry.
extern "C" __attribute__((visibility("default"))) int NotTheEntry() {
  return 0;
}
