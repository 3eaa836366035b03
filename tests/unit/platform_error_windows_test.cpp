// PlatformError against the real platform: the system's message table and the
// thread's error information as COM keeps them. Wine words its messages
// differently from Windows, so every expected text is asked of the system here.

#include <gtest/gtest.h>

#include <string>

#include "platform/com_ptr.h"
#include "platform/platform_error.h"
#include "platform/platform_memory.h"
#include "platform/wide_text.h"

namespace velkaron::platform {
namespace {

constexpr DWORD kSystemFlags = 0x1300;
constexpr DWORD kNtdllFlags = 0x1B00;

// What FormatMessageW itself says for `id`, as the error text shows it.
std::string system_text(DWORD flags, LPCVOID source, DWORD id) {
  unique_process_heap_string buffer;
  const DWORD count =
      ::FormatMessageW(flags, source, id, 0, reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  if (!buffer || count == 0) return {};
  return decode_utf16_lossy(trim_wide_end(wide_view(buffer.get(), count)));
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
  EXPECT_EQ(from_status(E_FAIL).display_text(),
            with_code(system_text(kSystemFlags, nullptr, 0x80004005), "0x80004005"));
  EXPECT_EQ(null_object_error().display_text(),
            with_code(system_text(kSystemFlags, nullptr, 0), "0x00000000"));
}

TEST_F(PlatformErrorOnWindowsTest, WrappedNtStatusIsLookedUpInNtdllAndShownWithItsOwnCode) {
  const HMODULE ntdll = ::LoadLibraryExA("ntdll.dll", nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  EXPECT_EQ(from_status(static_cast<HRESULT>(0xD0000022u)).display_text(),
            with_code(system_text(kNtdllFlags, ntdll, 0xC0000022), "0xD0000022"));
}

TEST_F(PlatformErrorOnWindowsTest, ErrorInformationIsTakenFromTheThreadAndReleasedOnce) {
  const com_ptr<IErrorInfo> info = set_error_info(L"The encoder refused the type.\r\n");
  const ULONG ours = references(*info.get()) - 1;  // the thread holds one more
  {
    const PlatformError error = from_status(E_FAIL);
    EXPECT_TRUE(error.has_info());
    EXPECT_EQ(error.display_text(), "The encoder refused the type. (0x80004005)");
    EXPECT_EQ(error.display_text(), "The encoder refused the type. (0x80004005)");
    // The thread gave its reference to the error.
    EXPECT_FALSE(from_status(E_FAIL).has_info());
  }
  EXPECT_EQ(references(*info.get()), ours);
}

TEST_F(PlatformErrorOnWindowsTest, EmptyDescriptionGivesTheCodeAloneDespiteASystemText) {
  const com_ptr<IErrorInfo> info = set_error_info(L"");
  EXPECT_EQ(from_status(E_FAIL).display_text(), "0x80004005");
}

}  // namespace
}  // namespace velkaron::platform
