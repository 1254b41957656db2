#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "LogCapture.h"
#include "core/ContractChecks.h"
#include "core/SystemMessages.h"

namespace {

using Check = void (*)(const ContractLocation&, bool);

struct CheckCase {
  const char* name;
  Check check;
  const char* failureText;
};

class FailedCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(FailedCheck, RaisesItsKindWithTheGenericCodeAndSystemText) {
  const CheckCase& c = GetParam();
  try {
    c.check(ContractLocation("Unit.cpp", 42), false);
    FAIL() << "no exception";
  } catch (const contract_error& e) {
    EXPECT_EQ(e.error_code(), static_cast<ResultCode>(0x80004005u));
    EXPECT_STREQ(e.failure_text(), c.failureText);
    EXPECT_STREQ(e.what(), "Error code 0x80004005 : Unspecified error");
  }
}

TEST_P(FailedCheck, PassingCheckRaisesNothing) {
  EXPECT_NO_THROW(GetParam().check(ContractLocation("Unit.cpp", 1), true));
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, FailedCheck,
    ::testing::Values(CheckCase{"Precondition", &CheckPrecondition, "precondition failure : "},
                      CheckCase{"Postcondition", &CheckPostcondition, "postcondition failure : "},
                      CheckCase{"Invariant", &CheckInvariant, "invariant failure : "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ContractChecks, ExceptionKindsCanBeCaughtByTheirOwnType) {
  EXPECT_THROW(CheckPrecondition(CONTRACT_LOCATION, false), precondition_error);
  EXPECT_THROW(CheckPostcondition(CONTRACT_LOCATION, false), postcondition_error);
  EXPECT_THROW(CheckInvariant(CONTRACT_LOCATION, false), invariant_error);
  EXPECT_THROW(CheckResultCode(CONTRACT_LOCATION, false, E_INVALIDARG), postcondition_error);
}

TEST(ResultCodeMessages, KnownAndUnknownCodes) {
  struct {
    ResultCode code;
    const char* message;
  } const cases[] = {
      {E_INVALIDARG, "Error code 0x80070057 : The parameter is incorrect."},
      {static_cast<ResultCode>(0x8899AABBu), "Unknown error 0x8899AABB"},
      {1, "Unknown error 0x1"},
      {0x0000ABCD, "Unknown error 0xABCD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      CheckResultCode(CONTRACT_LOCATION, false, c.code);
      ADD_FAILURE() << "no exception";
    } catch (const postcondition_error& e) {
      EXPECT_EQ(e.error_code(), c.code);
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

std::atomic<int> gLookups{0};
const char* gScriptedText = nullptr;

std::optional<std::string> CountingSource(ResultCode) {
  ++gLookups;
  if (gScriptedText == nullptr)
    return std::nullopt;
  return std::string(gScriptedText);
}

class ScriptedSystemMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    gLookups = 0;
    SetSystemMessageSource(&CountingSource);
  }
  void TearDown() override { SetSystemMessageSource(nullptr); }

  std::string MessageFor(const char* text) {
    gScriptedText = text;
    postcondition_error e(E_FAIL);
    return e.what();
  }
};

TEST_F(ScriptedSystemMessages, WhatAsksTheSystemOnlyOnce) {
  gScriptedText = "Text\r\n";
  postcondition_error e(E_FAIL);
  const std::string first = e.what();
  EXPECT_EQ(std::string(e.what()), first);
  EXPECT_EQ(gLookups, 1);
}

TEST_F(ScriptedSystemMessages, LineEndsOfSystemTextsAreDropped) {
  EXPECT_EQ(MessageFor("Broken\r\n"), "Error code 0x80004005 : Broken");
  EXPECT_EQ(MessageFor("Broken\n"), "Error code 0x80004005 : Broken");
  EXPECT_EQ(MessageFor("Broken\r\n\r\n"), "Error code 0x80004005 : Broken\r\n");
  EXPECT_EQ(MessageFor("\n"), "Error code 0x80004005 : \n");
  EXPECT_EQ(MessageFor("X"), "Error code 0x80004005 : X");
}

TEST(ContractLocation, LongFileNamesAreCutTo255) {
  const std::string name(300, 'f');
  EXPECT_EQ(ContractLocation(name.c_str(), 7).file, std::string(255, 'f'));
  EXPECT_EQ(ContractLocation(std::string(255, 'g').c_str(), 7).file.size(), 255u);
}

TEST(ContractExceptions, CopiesKeepCodeTextAndKind) {
  const postcondition_error original(E_INVALIDARG);
  const postcondition_error copy(original);
  EXPECT_EQ(copy.error_code(), E_INVALIDARG);
  EXPECT_STREQ(copy.what(), original.what());
  const precondition_error fromStd(std::runtime_error("custom"));
  EXPECT_STREQ(fromStd.what(), "custom");
  EXPECT_EQ(fromStd.error_code(), E_FAIL);
}

TEST_F(LogCapture, FailedCheckWritesOneEntryWithoutPrefix) {
  EXPECT_THROW(CheckPrecondition(ContractLocation("Naming.cpp", 12), false), precondition_error);
  // The "$" of the entry's format becomes a blank before the entry's own blank.
  EXPECT_EQ(LogText(),
            "  \r\nNaming.cpp (12) : precondition failure : Error code 0x80004005 : "
            "Unspecified error\r\n\r\n\r\n");
}

std::optional<std::string> LongText(ResultCode) {
  return std::string(700, 'x');
}

TEST_F(LogCapture, LongEntriesAreCutAndTheCheckStillRaises) {
  SetSystemMessageSource(&LongText);
  EXPECT_THROW(CheckInvariant(ContractLocation("A.cpp", 1), false), invariant_error);
  EXPECT_THROW(CheckResultCode(ContractLocation("B.cpp", 2), false, 5), postcondition_error);
  SetSystemMessageSource(nullptr);
  const std::string log = LogText();
  ASSERT_EQ(log.rfind("  \r\nA.cpp (1)", 0), 0u);
  // Two blanks, 511 characters of entry and the log's own line end.
  EXPECT_EQ(log.find("  \r\nB.cpp (2)"), 2u + 511u + 2u);
  EXPECT_EQ(log.size(), 2 * (2u + 511u + 2u));
}

}  // namespace
