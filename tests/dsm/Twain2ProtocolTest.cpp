// A TWAIN 2 application with a callback and no event loop, against SANE's
// test backend: pages by memory and by native transfer equal scanimage's, and
// calls out of sequence or out of range get the standard's answers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "SaneTestConfig.h"
#include "Twain2Application.h"

namespace {

constexpr int kDotsPerInch = 96;  // a one-inch square: whole bytes of lineart rows

struct PixelCase {
  const char* name;
  TW_UINT16 pixelType;
  const char* mode;
  const char* depth;
  TW_UINT16 mechanism;
};

// The bits after a lineart row's last pixel mean nothing.
std::vector<std::uint8_t> WithoutSpareBits(PnmPage page) {
  const int spare = static_cast<int>(page.RowBytes() * 8) - page.width * page.bitsPerPixel;
  if (spare > 0)
    for (std::size_t end = page.RowBytes(); end <= page.pixels.size(); end += page.RowBytes())
      page.pixels[end - 1] &= static_cast<std::uint8_t>(0xFF << spare);
  return page.pixels;
}

class PagesAsScanimage : public testing::TestWithParam<PixelCase> {};

TEST_P(PagesAsScanimage, TransferredPageEqualsScanimagesPage) {
  const PixelCase& param = GetParam();
  UseSaneTestBackend("test-picture \"Color pattern\"\n");
  Twain2Application app;
  ASSERT_TRUE(app.IsLoaded());
  ASSERT_EQ(app.OpenWithCallback(), TWRC_SUCCESS);
  EXPECT_NE(app.application.SupportedGroups & DF_DSM2, 0u);
  EXPECT_NE(app.source.SupportedGroups & DF_DS2, 0u);
  ASSERT_EQ(app.SetOne(ICAP_XFERMECH, TWTY_UINT16, param.mechanism), TWRC_SUCCESS);
  ASSERT_EQ(app.SetOne(ICAP_PIXELTYPE, TWTY_UINT16, param.pixelType), TWRC_SUCCESS);
  ASSERT_EQ(app.SetOne(ICAP_XRESOLUTION, TWTY_FIX32, kDotsPerInch), TWRC_SUCCESS);
  ASSERT_EQ(app.SetOne(ICAP_YRESOLUTION, TWTY_FIX32, kDotsPerInch), TWRC_SUCCESS);
  ASSERT_EQ(app.SetFrameInches(0, 0, 1, 1), TWRC_SUCCESS);
  ASSERT_EQ(app.Enable(), TWRC_SUCCESS);

  ASSERT_EQ(app.WaitForMessage(), MSG_XFERREADY);
  EXPECT_NE(app.callbackThread, std::this_thread::get_id());
  EXPECT_EQ(app.callbackRefCon, reinterpret_cast<TW_UINTPTR>(&app));
  const std::optional<PnmPage> page = param.mechanism == TWSX_MEMORY ? app.TakeByMemory()
                                      : param.mechanism == TWSX_FILE
                                          ? app.TakeByFile(testing::TempDir() + "page.bmp")
                                          : app.TakeNative();
  ASSERT_TRUE(page.has_value());
  EXPECT_EQ(app.EndTransfer(), 0);
  TW_USERINTERFACE ui{};
  EXPECT_EQ(app.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
  EXPECT_EQ(app.Manager(DAT_IDENTITY, MSG_CLOSEDS, &app.source), TWRC_SUCCESS);

  const std::optional<PnmPage> expected = ScanWithScanimage(
      {"-d", "test:0", "--mode", param.mode, "--depth", param.depth, "--resolution",
       std::to_string(kDotsPerInch), "-l", "0", "-t", "0", "-x", "25.4", "-y", "25.4"});
  ASSERT_TRUE(expected.has_value());
  EXPECT_EQ(page->width, expected->width);
  EXPECT_EQ(page->height, expected->height);
  EXPECT_EQ(page->bitsPerPixel, expected->bitsPerPixel);
  EXPECT_TRUE(WithoutSpareBits(*page) == WithoutSpareBits(*expected));
}

INSTANTIATE_TEST_SUITE_P(
    Twain2, PagesAsScanimage,
    testing::Values(PixelCase{"ColourByMemory", TWPT_RGB, "Color", "8", TWSX_MEMORY},
                    PixelCase{"GreyByMemory", TWPT_GRAY, "Gray", "8", TWSX_MEMORY},
                    PixelCase{"LineartByMemory", TWPT_BW, "Gray", "1", TWSX_MEMORY},
                    PixelCase{"ColourNative", TWPT_RGB, "Color", "8", TWSX_NATIVE},
                    PixelCase{"GreyNative", TWPT_GRAY, "Gray", "8", TWSX_NATIVE},
                    PixelCase{"LineartNative", TWPT_BW, "Gray", "1", TWSX_NATIVE},
                    PixelCase{"ColourByFile", TWPT_RGB, "Color", "8", TWSX_FILE},
                    PixelCase{"LineartByFile", TWPT_BW, "Gray", "1", TWSX_FILE}),
    [](const testing::TestParamInfo<PixelCase>& info) { return std::string(info.param.name); });

TW_FIX32 Fix32(double value) {
  const auto whole = static_cast<TW_INT16>(value);
  return {whole, static_cast<TW_UINT16>((value - whole) * 65536.0)};
}

TW_UINT32 Word(TW_FIX32 fix) {
  return static_cast<TW_UINT32>(static_cast<TW_UINT16>(fix.Whole)) |
         (static_cast<TW_UINT32>(fix.Frac) << 16);
}

// The processes this one started (the source's window).
std::vector<pid_t> ChildProcesses() {
  std::vector<pid_t> children;
  for (const auto& process : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(process.path() / "stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
      continue;
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    char state = 0;
    pid_t parent = 0;
    if (rest >> state >> parent && parent == ::getpid())
      children.push_back(static_cast<pid_t>(std::stol(process.path().filename().string())));
  }
  return children;
}

// The application's next DAT_EVENT calls, with no event of its own, until one brings `message`.
TW_UINT16 PollForMessage(Twain2Application& app, TW_UINT16 message) {
  for (int i = 0; i < 6000; ++i) {
    TW_EVENT event{nullptr, MSG_NULL};
    if (app.Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT)
      return event.TWMessage == message ? TWRC_SUCCESS : TWRC_FAILURE;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return TWRC_FAILURE;
}

TW_UINT16 Ignore(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF) {
  return TWRC_SUCCESS;
}

// One call of a session that walks the states; its answer and condition code.
struct Step {
  const char* what;
  std::function<TW_UINT16(Twain2Application&)> call;
  TW_UINT16 returnCode;
  TW_UINT16 conditionCode;
  bool askSource;  // the condition code is the source's, not the manager's
};

TEST(Twain2Protocol, CallsOutOfSequenceOrRangeGetTheStandardsAnswers) {
  UseSaneTestBackend();
  // The source's window comes from a program of the manager's own, shown offscreen.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Twain2Application app;
  ASSERT_TRUE(app.IsLoaded());
  TW_USERINTERFACE ui{};
  TW_USERINTERFACE withWindow{1, 0, nullptr};
  TW_PENDINGXFERS pending{};
  TW_IMAGEMEMXFER strip{};
  TW_HANDLE page = nullptr;
  TW_IDENTITY stranger = app.application;
  stranger.Id = 99;
  TW_CAPABILITY brightness{0x1101, TWON_DONTCARE16, nullptr};
  TW_CALLBACK2 callback{reinterpret_cast<TW_MEMREF>(&Ignore), 0, 0};
  const std::vector<Step> steps = {
      {"default source before the manager is open",
       [](auto& a) { return a.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &a.source); }, TWRC_FAILURE,
       TWCC_SEQERROR, false},
      {"opening the manager without an origin",
       [](auto& a) {
         void* parent = nullptr;
         return a.Call(nullptr, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent);
       },
       TWRC_FAILURE, TWCC_BADVALUE, false},
      {"open everything, callback registered", [](auto& a) { return a.OpenWithCallback(); },
       TWRC_SUCCESS, TWCC_SUCCESS, false},
      {"status asked without an origin",
       [](auto& a) {
         TW_STATUS status{};
         return a.Call(nullptr, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
       },
       TWRC_FAILURE, TWCC_BADVALUE, false},
      {"a container handle that is no block",
       [](auto& a) {
         TW_CAPABILITY resolution{ICAP_XRESOLUTION, TWON_ONEVALUE,
                                  reinterpret_cast<TW_HANDLE>(0x10)};
         return a.Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &resolution);
       },
       TWRC_FAILURE, TWCC_BADVALUE, true},
      {"locking a handle that is no block",
       [](auto& a) {
         return a.entryPoint.DSM_MemLock(reinterpret_cast<TW_HANDLE>(0x10)) == nullptr
                    ? TWRC_SUCCESS
                    : TWRC_FAILURE;
       },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"no compression", [](auto& a) { return a.SetOne(ICAP_COMPRESSION, TWTY_UINT16, TWCP_NONE); },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"JPEG compression", [](auto& a) { return a.SetOne(ICAP_COMPRESSION, TWTY_UINT16, 6); },
       TWRC_FAILURE, TWCC_BADVALUE, true},
      {"grey pages at 8 bits",
       [](auto& a) {
         const TW_UINT16 rc = a.SetOne(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY);
         return rc == TWRC_SUCCESS ? a.SetOne(ICAP_BITDEPTH, TWTY_UINT16, 8) : rc;
       },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"grey pages at 16 bits", [](auto& a) { return a.SetOne(ICAP_BITDEPTH, TWTY_UINT16, 16); },
       TWRC_FAILURE, TWCC_BADVALUE, true},
      {"the source's window for an application without widgets",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &withWindow); },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"the window closed as the session ends: a close request",
       [](auto& a) {
         for (pid_t child : ChildProcesses())
           ::kill(child, SIGTERM);
         return a.WaitForMessage() == MSG_CLOSEDSREQ ? TWRC_SUCCESS : TWRC_FAILURE;
       },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"disabled after the close request",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui); },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"a capability asked by an application that did not open the source",
       [&](auto& a) {
         TW_CAPABILITY units{ICAP_UNITS, TWON_DONTCARE16, nullptr};
         return a.Call(&stranger, &a.source, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &units);
       },
       TWRC_FAILURE, TWCC_BADDEST, false},
      {"32767 dpi", [](auto& a) { return a.SetOne(ICAP_XRESOLUTION, TWTY_FIX32, 32767); },
       TWRC_FAILURE, TWCC_BADVALUE, true},
      {"0.5 dpi", [](auto& a) { return a.SetOne(ICAP_XRESOLUTION, TWTY_FIX32, Word(Fix32(0.5))); },
       TWRC_FAILURE, TWCC_BADVALUE, true},
      {"150.5 dpi is rounded",
       [](auto& a) { return a.SetOne(ICAP_XRESOLUTION, TWTY_FIX32, Word(Fix32(150.5))); },
       TWRC_CHECKSTATUS, TWCC_SUCCESS, true},
      {"a frame wholly off the glass", [](auto& a) { return a.SetFrameInches(20, 20, 21, 21); },
       TWRC_FAILURE, TWCC_BADVALUE, true},
      {"an unknown transfer mechanism",
       [](auto& a) { return a.SetOne(ICAP_XFERMECH, TWTY_UINT16, 7); }, TWRC_FAILURE, TWCC_BADVALUE,
       true},
      {"query of a capability not offered",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, &brightness); },
       TWRC_FAILURE, TWCC_CAPUNSUPPORTED, true},
      {"disable in state 4",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui); },
       TWRC_FAILURE, TWCC_SEQERROR, true},
      {"memory transfer in state 4",
       [&](auto& a) { return a.Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip); }, TWRC_FAILURE,
       TWCC_SEQERROR, true},
      {"memory transfers chosen",
       [](auto& a) { return a.SetOne(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY); }, TWRC_SUCCESS,
       TWCC_SUCCESS, true},
      {"a small frame", [](auto& a) { return a.SetFrameInches(0, 0, 1, 1); }, TWRC_SUCCESS,
       TWCC_SUCCESS, true},
      {"the feeder on", [](auto& a) { return a.SetOne(CAP_FEEDERENABLED, TWTY_BOOL, 1); },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"enable, then the page is announced",
       [](auto& a) {
         const TW_UINT16 rc = a.Enable();
         return rc == TWRC_SUCCESS && a.WaitForMessage() == MSG_XFERREADY ? rc : TWRC_FAILURE;
       },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"the resolution read while the feeder batch goes on",
       [](auto& a) {
         TW_CAPABILITY resolution{ICAP_XRESOLUTION, TWON_DONTCARE16, nullptr};
         const TW_UINT16 rc = a.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &resolution);
         a.entryPoint.DSM_MemFree(resolution.hContainer);
         return rc;
       },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"the frame read while the feeder batch goes on",
       [](auto& a) {
         TW_IMAGELAYOUT layout{};
         return a.Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout);
       },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"set in state 6", [](auto& a) { return a.SetOne(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY); },
       TWRC_FAILURE, TWCC_SEQERROR, true},
      {"register a callback in state 6",
       [&](auto& a) {
         return a.Source(DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, &callback);
       },
       TWRC_FAILURE, TWCC_SEQERROR, false},
      {"disable in state 6",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui); },
       TWRC_FAILURE, TWCC_SEQERROR, true},
      {"native transfer while memory is chosen",
       [&](auto& a) { return a.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page); },
       TWRC_FAILURE, TWCC_SEQERROR, true},
      {"a buffer too small for one row",
       [&](auto& a) {
         std::uint8_t byte = 0;
         strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, 1, &byte};
         return a.Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
       },
       TWRC_FAILURE, TWCC_BADVALUE, true},
      {"the rest of the batch reset",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending); },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"disable in state 5",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui); },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"close the source", [](auto& a) { return a.Manager(DAT_IDENTITY, MSG_CLOSEDS, &a.source); },
       TWRC_SUCCESS, TWCC_SUCCESS, false},
      {"opened again, without a callback",
       [](auto& a) { return a.Manager(DAT_IDENTITY, MSG_OPENDS, &a.source); }, TWRC_SUCCESS,
       TWCC_SUCCESS, false},
      {"enabled with neither window nor callback", [](auto& a) { return a.Enable(); }, TWRC_SUCCESS,
       TWCC_SUCCESS, true},
      {"the page is announced at a later DAT_EVENT",
       [](auto& a) { return PollForMessage(a, MSG_XFERREADY); }, TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"the page passed over",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending); },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"disabled again",
       [&](auto& a) { return a.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui); },
       TWRC_SUCCESS, TWCC_SUCCESS, true},
      {"closed again", [](auto& a) { return a.Manager(DAT_IDENTITY, MSG_CLOSEDS, &a.source); },
       TWRC_SUCCESS, TWCC_SUCCESS, false},
      {"close the manager",
       [](auto& a) {
         void* parent = nullptr;
         return a.Manager(DAT_PARENT, MSG_CLOSEDSM, &parent);
       },
       TWRC_SUCCESS, TWCC_SUCCESS, false},
      {"closed twice",
       [](auto& a) {
         void* parent = nullptr;
         return a.Manager(DAT_PARENT, MSG_CLOSEDSM, &parent);
       },
       TWRC_FAILURE, TWCC_SEQERROR, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(step.call(app), step.returnCode);
    EXPECT_EQ(step.askSource ? app.SourceCondition() : app.ManagerCondition(), step.conditionCode);
  }
}

// Every operation a capability advertises works, and no other does.
TEST(Twain2Protocol, QuerySupportAdvertisesExactlyWhatWorks) {
  UseSaneTestBackend();
  Twain2Application app;
  ASSERT_EQ(app.OpenWithCallback(), TWRC_SUCCESS);
  TW_CAPABILITY supported{CAP_SUPPORTEDCAPS, TWON_DONTCARE16, nullptr};
  ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &supported), TWRC_SUCCESS);
  const auto* array =
      static_cast<const std::uint8_t*>(app.entryPoint.DSM_MemLock(supported.hContainer));
  TW_UINT32 count = 0;
  std::memcpy(&count, array + 2, 4);
  std::vector<TW_UINT16> caps(count);
  std::memcpy(caps.data(), array + 6, count * 2);
  app.entryPoint.DSM_MemUnlock(supported.hContainer);
  app.entryPoint.DSM_MemFree(supported.hContainer);
  ASSERT_GE(caps.size(), 10u);

  for (TW_UINT16 cap : caps) {
    SCOPED_TRACE(cap);
    TW_CAPABILITY query{cap, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT, &query), TWRC_SUCCESS);
    TW_ONEVALUE flags{};
    std::memcpy(&flags, app.entryPoint.DSM_MemLock(query.hContainer), sizeof flags);
    app.entryPoint.DSM_MemUnlock(query.hContainer);
    app.entryPoint.DSM_MemFree(query.hContainer);
    for (auto [operation, message] : {std::pair{TWQC_GET, MSG_GET},
                                      {TWQC_GETCURRENT, MSG_GETCURRENT},
                                      {TWQC_GETDEFAULT, MSG_GETDEFAULT},
                                      {TWQC_RESET, MSG_RESET},
                                      {TWQC_SET, MSG_SET}}) {
      SCOPED_TRACE(message);
      TW_CAPABILITY capability{cap, TWON_DONTCARE16, nullptr};
      TW_UINT16 rc = TWRC_FAILURE;
      if (message == MSG_SET) {  // the current value set again
        ASSERT_EQ(app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &capability),
                  TWRC_SUCCESS);
        rc = app.Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
      } else {
        rc = app.Source(DG_CONTROL, DAT_CAPABILITY, message, &capability);
      }
      app.entryPoint.DSM_MemFree(capability.hContainer);
      EXPECT_EQ(rc == TWRC_SUCCESS, (flags.Item & operation) != 0);
    }
  }
}

}  // namespace
