#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/ContractError.h"
#include "platform/profile/ProfileText.h"

namespace {

// A string literal with its embedded NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

struct LookupCase {
  const char* name;
  std::string contents;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

class ProfileLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(ProfileLookup, FindsTheValueWindowsWouldFind) {
  const LookupCase& c = GetParam();
  EXPECT_EQ(ProfileText(c.contents).Value(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileLookup,
    ::testing::Values(
        LookupCase{"CrLf", "[Settings]\r\nItemType=3\r\n", "Settings", "ItemType", "3"},
        LookupCase{"Lf", "[Settings]\nItemType=3\n", "Settings", "ItemType", "3"},
        LookupCase{"NoLastLineEnd", "[Settings]\nItemType=3", "Settings", "ItemType", "3"},
        LookupCase{"OtherLetterCase", "[SETTINGS]\nitemtype=4\n", "Settings", "ItemType", "4"},
        LookupCase{"Trimmed", "  [ Settings ]  \n\t ItemType \t=  5 x  \t\n", "Settings",
                   "ItemType", "5 x"},
        LookupCase{"FirstDuplicateWins", "[Settings]\nA=1\nA=2\n", "Settings", "A", "1"},
        LookupCase{"LaterSectionOfSameName", "[Settings]\nA=1\n[Other]\nB=2\n[settings]\nB=3\n",
                   "Settings", "B", "3"},
        LookupCase{"OtherSectionOnly", "[Other]\nA=1\n", "Settings", "A", std::nullopt},
        LookupCase{"KeyBeforeAnySection", "A=1\n[Settings]\n", "Settings", "A", std::nullopt},
        LookupCase{"Comment", "[Settings]\n;A=1\n", "Settings", "A", std::nullopt},
        LookupCase{"LineWithoutEquals", "[Settings]\nA\nA=2\n", "Settings", "A", "2"},
        LookupCase{"EmptyValue", "[Settings]\nA=\n", "Settings", "A", ""},
        LookupCase{"ValueWithEquals", "[Settings]\nA=b=c\n", "Settings", "A", "b=c"},
        LookupCase{"UnclosedSection", "[Settings\nA=1\n", "Settings", "A", "1"},
        LookupCase{"NulCutsValue", Bytes("[Settings]\nA=ab\0cd\n"), "Settings", "A", "ab"},
        LookupCase{"BinaryGarbage", Bytes("\x01\xff[\0\x80=\n\n=\r\r"), "Settings", "A",
                   std::nullopt},
        LookupCase{"Empty", "", "Settings", "A", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileUpdate, ReplacesInPlaceAndKeepsEveryOtherLine) {
  ProfileText text("; made by hand\n[Settings]\nitemtype = 1\nOther=x\n\n[More]\nK=v");
  text.SetValue("Settings", "ItemType", "4");
  EXPECT_EQ(text.ToString(),
            "; made by hand\r\n[Settings]\r\nItemType=4\r\nOther=x\r\n\r\n[More]\r\nK=v\r\n");
}

TEST(ProfileUpdate, AddsAMissingKeyAtTheEndOfItsSection) {
  ProfileText text("[Settings]\nA=1\n\n[More]\nK=v\n");
  text.SetValue("settings", "B", "2");
  EXPECT_EQ(text.ToString(), "[Settings]\r\nA=1\r\nB=2\r\n\r\n[More]\r\nK=v\r\n");
}

TEST(ProfileUpdate, AddsAMissingSectionAtTheEnd) {
  ProfileText text("[More]\nK=v");
  text.SetValue("Settings", "A", "1");
  EXPECT_EQ(text.ToString(), "[More]\r\nK=v\r\n[Settings]\r\nA=1\r\n");
  EXPECT_EQ(ProfileText(text.ToString()).Value("Settings", "A"), "1");
}

TEST(ProfileUpdate, RefusesTextThatWouldForgeOtherLines) {
  ProfileText text;
  EXPECT_THROW(text.SetValue("Settings", "A", "x\r\n[Other]"), precondition_error);
  EXPECT_THROW(text.SetValue("Settings", "A=B", "x"), precondition_error);
  EXPECT_THROW(text.SetValue("Set]tings", "A", "x"), precondition_error);
  EXPECT_EQ(text.ToString(), "");
}

}  // namespace
