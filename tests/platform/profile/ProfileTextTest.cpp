#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

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

struct UpdateCase {
  const char* name;
  const char* file;
  const char* section;
  const char* key;
  const char* value;
  const char* updated;
};

class ProfileSetValue : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(ProfileSetValue, WritesTheValueWhereItBelongsAndKeepsEveryOtherLine) {
  const UpdateCase& c = GetParam();
  ProfileText text(c.file);
  text.SetValue(c.section, c.key, c.value);
  EXPECT_EQ(text.ToString(), c.updated);
  EXPECT_EQ(ProfileText(text.ToString()).Value(c.section, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileSetValue,
    ::testing::Values(
        UpdateCase{"ReplacesInPlace",
                   "; made by hand\n[Settings]\nitemtype = 1\nOther=x\n\n[More]\nK=v", "Settings",
                   "ItemType", "4",
                   "; made by hand\n[Settings]\nItemType=4\nOther=x\n\n[More]\nK=v\n"},
        UpdateCase{"AddsAMissingKeyAtTheEndOfItsSection", "[Settings]\nA=1\n\n[More]\nK=v\n",
                   "settings", "B", "2", "[Settings]\nA=1\nB=2\n\n[More]\nK=v\n"},
        UpdateCase{"AddsAMissingSectionAtTheEnd", "[More]\nK=v", "Settings", "A", "1",
                   "[More]\nK=v\n[Settings]\nA=1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Two bytes per character, low byte first or last, for files saved as UTF-16.
std::string Utf16(std::string_view ascii, bool bigEndian) {
  std::string bytes(bigEndian ? "\xfe\xff" : "\xff\xfe");
  for (const char c : ascii)
    bytes.append(bigEndian ? std::string{'\0', c} : std::string{c, '\0'});
  return bytes;
}

struct FormCase {
  const char* name;
  std::string file;     // holds MultiPage=1 and Name=x in [Settings]
  std::string updated;  // after setting RotateNinety=1
};

class ProfileForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(ProfileForms, ReadsEveryKeyAndRewritesInTheFilesOwnForm) {
  const FormCase& c = GetParam();
  ProfileText text(c.file);
  EXPECT_EQ(text.Value("Settings", "MultiPage"), "1");
  EXPECT_EQ(text.Value("Settings", "Name"), "x");
  text.SetValue("Settings", "RotateNinety", "1");
  EXPECT_EQ(text.ToString(), c.updated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileForms,
    ::testing::Values(
        FormCase{"MarkBeforeTheSection", "\xEF\xBB\xBF[Settings]\r\nMultiPage=1\r\nName=x",
                 "\xEF\xBB\xBF[Settings]\r\nMultiPage=1\r\nName=x\r\nRotateNinety=1\r\n"},
        FormCase{"CrOnly", "[Settings]\rMultiPage=1\rName=x\r",
                 "[Settings]\rMultiPage=1\rName=x\rRotateNinety=1\r"},
        FormCase{"MixedLineEnds", "[Settings]\nMultiPage=1\rName=x\r\n[Other]\rA=1",
                 "[Settings]\nMultiPage=1\rName=x\r\nRotateNinety=1\n[Other]\rA=1\n"},
        FormCase{"Utf16LittleEndian", Utf16("[Settings]\r\nMultiPage=1\r\nName=x\r\n", false),
                 Utf16("[Settings]\r\nMultiPage=1\r\nName=x\r\nRotateNinety=1\r\n", false)},
        FormCase{"Utf16BigEndian", Utf16("[Settings]\nMultiPage=1\nName=x\n", true),
                 Utf16("[Settings]\nMultiPage=1\nName=x\nRotateNinety=1\n", true)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileUtf16, TextComesBackAsUtf8AndGoesBackAsUtf16) {
  ProfileText text(Bytes("\xff\xfe[\0S\0]\0\n\0N\0=\0\xe9\0\n\0"));
  EXPECT_EQ(text.Value("S", "N"), "\xc3\xa9");
  text.SetValue("S", "N", "\xc3\xbc");
  EXPECT_EQ(text.ToString(), Bytes("\xff\xfe[\0S\0]\0\n\0N\0=\0\xfc\0\n\0"));
}

TEST(ProfileUpdate, RefusesTextThatWouldForgeOtherLines) {
  ProfileText text;
  EXPECT_THROW(text.SetValue("Settings", "A", "x\r\n[Other]"), precondition_error);
  EXPECT_THROW(text.SetValue("Settings", "A=B", "x"), precondition_error);
  EXPECT_THROW(text.SetValue("Set]tings", "A", "x"), precondition_error);
  EXPECT_FALSE(text.CanStore("Settings", "A\nB", "x"));
  EXPECT_TRUE(text.CanStore("Settings", "A", "Geb\xe4ude"));
  EXPECT_FALSE(ProfileText(Bytes("\xff\xfe")).CanStore("Settings", "A", "Geb\xe4ude"));
  EXPECT_EQ(text.ToString(), "");
}

}  // namespace
