#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CleanupOptions.h"
#include "app/ScanOptions.h"

namespace {

struct Case {
  std::vector<std::string> arguments;
  CleanupChoices folder;
  CleanupChoices applied;
  bool refused = false;
};

// The scan command's own option list carries the clean-up options, each
// turning the folder's choice on or off for this document only.
TEST(CleanupOptions, TurnTheFolderChoicesOnAndOffForOneScan) {
  const CleanupChoices none;
  const CleanupChoices all{true, true, true};
  const Case cases[] = {
      {{"folder"}, all, all},
      {{"folder", "--skip-blank"}, none, {true, false, false}},
      {{"folder", "--upright", "--deskew"}, none, {false, true, true}},
      {{"folder", "--no-upright"}, all, {true, false, true}},
      {{"folder", "--no-skip-blank", "--no-deskew", "--upright"}, all, {false, true, false}},
      {{"folder", "--deskew", "--no-deskew"}, none, none, true},
      {{"folder", "--no-skip-blank", "--skip-blank"}, all, all, true},
  };
  for (const Case& test : cases) {
    std::string line;
    for (const std::string& argument : test.arguments)
      line += argument + " ";
    SCOPED_TRACE(line);
    CommandArguments parsed;
    ASSERT_FALSE(ParseCommandArguments(test.arguments, ScanOptionSpecs(), parsed).has_value());
    CleanupChoices cleanup = test.folder;
    EXPECT_EQ(ApplyCleanupOptions(parsed, cleanup).has_value(), test.refused);
    EXPECT_EQ(cleanup, test.applied);
  }
}

}  // namespace
