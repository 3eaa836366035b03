// PlatformError against the real platform: the system's message table and the
// thread's error information as COM keeps them. Wine words its messages
// differently from Windows, so every expected system text is asked of the
// system here, by a path of its own: the raw text FormatMessageW writes into
// a caller's buffer, with the line end cut off and converted by the system.

#include <gtest/gtest.h>

#include <string>

#include "platform/com_ptr.h"
#include "platform/platform_error.h"

namespace velkaron::platform {
namespace {

// What the system's table says for `id` (in `module`'s table when given),
// as the error text is to show it; empty when there is no text.
std::string system_text(DWORD id, HMODULE module = nullptr) {
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (module != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  wchar_t raw[1024];
  const DWORD count = ::FormatMessageW(flags, module, id, 0, raw, 1024, nullptr);
  std::wstring text(raw, count);
  text.erase(text.find_last_not_of(L" \t\r\n") + 1);
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::string utf8(static_cast<std::size_t>(size) * 3, '\0');
  utf8.resize(static_cast<std::size_t>(::WideCharToMultiByte(
      CP_UTF8, 0, text.data(), size, utf8.data(), size * 3, nullptr, nullptr)));
  return utf8;
}

std::string with_code(const std::string& text, const char* code) {
  return text.empty() ? std::string(code) : text + " (" + code + ")";
}

// The current reference count, read without changing it.
ULONG references(IUnknown& object) {
  object.AddRef();
  return object.Release();
}

class PlatformErrorOnWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GE(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), 0); }
  void TearDown() override { ::CoUninitialize(); }

  // An error-information object with `description`, set on the thread.
  com_ptr<IErrorInfo> set_error_info(const wchar_t* description) {
    com_ptr<ICreateErrorInfo> created;
    EXPECT_GE(::CreateErrorInfo(created.put()), 0);
    created->SetDescription(const_cast<LPOLESTR>(description));
    com_ptr<IErrorInfo> info;
    created->QueryInterface(IID_IErrorInfo, info.put_void());
    EXPECT_GE(::SetErrorInfo(0, info.get()), 0);
    return info;
  }
};

TEST_F(PlatformErrorOnWindowsTest, WithoutErrorInformationTheSystemTextLeads) {
  const std::string failed = system_text(0x80004005);
  ASSERT_FALSE(failed.empty());  // both Windows and Wine have a text for E_FAIL
  EXPECT_EQ(from_status(E_FAIL).display_text(), failed + " (0x80004005)");
  EXPECT_EQ(null_object_error().display_text(), with_code(system_text(0), "0x00000000"));
}

TEST_F(PlatformErrorOnWindowsTest, WrappedNtStatusIsLookedUpInNtdllAndShownWithItsOwnCode) {
  EXPECT_EQ(from_status(static_cast<HRESULT>(0xD0000022u)).display_text(),
            with_code(system_text(0xC0000022, ::GetModuleHandleW(L"ntdll.dll")), "0xD0000022"));
}

TEST_F(PlatformErrorOnWindowsTest, ErrorInformationIsTakenFromTheThreadAndReleasedOnce) {
  const com_ptr<IErrorInfo> info = set_error_info(L"The encoder refused the type.\r\n");
  const ULONG ours = references(*info) - 1;  // the thread holds one more
  {
    const PlatformError error = from_status(E_FAIL);
    EXPECT_TRUE(error.has_info());
    EXPECT_EQ(error.display_text(), "The encoder refused the type. (0x80004005)");
    EXPECT_EQ(error.display_text(), "The encoder refused the type. (0x80004005)");
    // The thread gave its reference to the error.
    EXPECT_FALSE(from_status(E_FAIL).has_info());
  }
  EXPECT_EQ(references(*info), ours);
}

TEST_F(PlatformErrorOnWindowsTest, EmptyDescriptionGivesTheCodeAloneDespiteASystemText) {
  const com_ptr<IErrorInfo> info = set_error_info(L"");
  EXPECT_EQ(from_status(E_FAIL).display_text(), "0x80004005");
}

}  // namespace
}  // namespace velkaron::platform
