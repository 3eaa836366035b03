#include "platform/platform_error.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "scripted_platform.h"

namespace velkaron::platform {
namespace {

using test_support::ScriptedErrorInfo;
using test_support::ScriptedPlatform;
using test_support::ScriptedRestrictedErrorInfo;

constexpr HRESULT kCode = E_FAIL;

class PlatformErrorTest : public ::testing::Test {
 protected:
  // The system table knows `text` for `id` (from ntdll's table when `from_module`).
  void system_knows(DWORD id, std::u16string text, bool from_module = false) {
    platform_.script().system_message = [=](DWORD asked,
                                            bool module) -> std::optional<std::u16string> {
      if (asked == id && module == from_module) return text;
      return std::nullopt;
    };
  }
  // A failure of `status` with `info` on the thread.
  PlatformError failure(HRESULT status, ScriptedErrorInfo* info) {
    return from_status(test_support::Status(status, info).raise());
  }

  ScriptedPlatform platform_;
};

TEST_F(PlatformErrorTest, NonNegativeStatusesAreSuccessWithoutTouchingErrorInformation) {
  for (const HRESULT status : {S_OK, S_FALSE, HRESULT{0x7FFFFFFF}}) {
    EXPECT_TRUE(check_status(status).has_value());
  }
  EXPECT_TRUE(platform_.calls_starting("GetErrorInfo").empty());
}

TEST_F(PlatformErrorTest, SystemTextLosesOnlyTrailingWhiteSpace) {
  system_knows(0x80004005, u"  Call\r\nfailed.\t \r\n");
  const auto result = check_status(kCode);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().code(), kCode);
  EXPECT_EQ(result.error().display_text(), "  Call\r\nfailed. (0x80004005)");
  EXPECT_EQ(platform_.calls_starting("FormatMessageW"),
            std::vector<std::string>{"FormatMessageW 0x00001300 0x80004005"});
  EXPECT_TRUE(platform_.ledger().holds_no_memory());
}

TEST_F(PlatformErrorTest, WithoutAnyTextTheCodeStandsAlone) {
  EXPECT_EQ(from_status(static_cast<HRESULT>(0xC00D36B9u)).display_text(), "0xC00D36B9");
  EXPECT_EQ(from_status(static_cast<HRESULT>(0x8000000Eu)).display_text(), "0x8000000E");
}

TEST_F(PlatformErrorTest, NullObjectErrorIsCodeZeroWithoutErrorInformation) {
  const PlatformError error = null_object_error();
  EXPECT_EQ(error.code(), 0);
  EXPECT_FALSE(error.has_info());
  EXPECT_EQ(error.display_text(), "0x00000000");
  system_knows(0, u"Success.\r\n");
  EXPECT_EQ(error.display_text(), "Success. (0x00000000)");
  EXPECT_TRUE(platform_.calls_starting("GetErrorInfo").empty());
}

TEST_F(PlatformErrorTest, WrappedNtStatusIsLookedUpInNtdllAndShownWithItsOwnCode) {
  system_knows(0xC0000022, u"{Access Denied}\r\n", /*from_module=*/true);
  EXPECT_EQ(from_status(static_cast<HRESULT>(0xD0000022u)).display_text(),
            "{Access Denied} (0xD0000022)");
  EXPECT_EQ(platform_.calls_starting("LoadLibraryExA"),
            std::vector<std::string>{"LoadLibraryExA ntdll.dll 0x00001000"});
  EXPECT_EQ(platform_.calls_starting("FormatMessageW"),
            std::vector<std::string>{"FormatMessageW 0x00001B00 0xC0000022 ntdll"});
}

TEST_F(PlatformErrorTest, DescriptionOfErrorInformationIsTheMessage) {
  auto& info = platform_.make<ScriptedErrorInfo>("info");
  info.description = u"Encoder busy.\r\n";
  const PlatformError error = failure(kCode, &info);
  EXPECT_TRUE(error.has_info());
  EXPECT_EQ(error.display_text(), "Encoder busy. (0x80004005)");
  // Asking twice asks the object twice and keeps it.
  EXPECT_EQ(error.display_text(), "Encoder busy. (0x80004005)");
  EXPECT_EQ(info.references(), 1u);
  EXPECT_TRUE(platform_.ledger().holds_no_memory());
}

TEST_F(PlatformErrorTest, EmptyErrorInformationGivesTheCodeAloneEvenWithASystemText) {
  system_knows(0x80004005, u"Call failed.");
  auto& info = platform_.make<ScriptedErrorInfo>("info");
  auto& restricted = platform_.make<ScriptedRestrictedErrorInfo>("restricted");
  info.restricted = &restricted;
  restricted.description = u"";
  restricted.restricted_description = u"";
  info.description = u"";
  EXPECT_EQ(failure(kCode, &info).display_text(), "0x80004005");
  EXPECT_TRUE(platform_.calls_starting("FormatMessageW").empty());
}

TEST_F(PlatformErrorTest, RestrictedDescriptionWinsThenDescriptionThenGetDescription) {
  auto& info = platform_.make<ScriptedErrorInfo>("info");
  auto& restricted = platform_.make<ScriptedRestrictedErrorInfo>("restricted");
  info.restricted = &restricted;
  info.description = u"from GetDescription";
  restricted.description = u"plain";
  restricted.restricted_description = u"restricted";
  restricted.capability_sid = u"S-1-15-3-1";
  {
    const PlatformError error = failure(kCode, &info);
    EXPECT_EQ(error.display_text(), "restricted (0x80004005)");
    restricted.restricted_description.reset();
    EXPECT_EQ(error.display_text(), "plain (0x80004005)");
    restricted.description = u"";
    EXPECT_EQ(error.display_text(), "from GetDescription (0x80004005)");
    EXPECT_EQ(platform_.calls_starting("GetDescription").size(), 1u);
  }
  // Every BSTR freed, every reference released once, the error information with the error.
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
  EXPECT_EQ(platform_.calls_starting("Release info").size(), 1u);
}

TEST_F(PlatformErrorTest, UnpairedSurrogateInADescriptionBecomesReplacementCharacter) {
  auto& info = platform_.make<ScriptedErrorInfo>("info");
  info.description = std::u16string{u'a', char16_t{0xD800}, u'b', char16_t{0xDC00}};
  EXPECT_EQ(failure(kCode, &info).display_text(),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD (0x80004005)");
}

TEST_F(PlatformErrorTest, ErrorInformationIsReleasedOnceWhenTheLastOwnerGoes) {
  auto& info = platform_.make<ScriptedErrorInfo>("info");
  {
    PlatformError first = failure(kCode, &info);
    PlatformError moved = std::move(first);
    std::expected<void, PlatformError> carried = std::unexpected(std::move(moved));
    EXPECT_EQ(info.references(), 1u);
  }
  EXPECT_EQ(info.references(), 0u);
  EXPECT_TRUE(platform_.released_exactly_once_before_shutdown());
  // The thread's error information went to the first failure only.
  EXPECT_FALSE(from_status(kCode).has_info());
}

TEST_F(PlatformErrorTest, CheckObjectTurnsASuccessWithoutAnObjectIntoTheNullObjectError) {
  auto delivered = check_object(S_OK, com_ptr<IErrorInfo>());
  ASSERT_FALSE(delivered.has_value());
  EXPECT_EQ(delivered.error().code(), 0);
  EXPECT_TRUE(platform_.calls_starting("GetErrorInfo").empty());

  auto failed = check_object(kCode, com_ptr<IErrorInfo>());
  ASSERT_FALSE(failed.has_value());
  EXPECT_EQ(failed.error().code(), kCode);
}

}  // namespace
}  // namespace velkaron::platform
