#include "platform/platform_error.h"

#include <cstdint>

#include "platform/hex_text.h"
#include "platform/platform_memory.h"
#include "platform/wide_text.h"

namespace velkaron::platform {
namespace {

// {82BA7092-4C88-427D-A7BC-16DD93FEB67E}
constexpr IID kIidRestrictedErrorInfo = {
    0x82BA7092, 0x4C88, 0x427D, {0xA7, 0xBC, 0x16, 0xDD, 0x93, 0xFE, 0xB6, 0x7E}};

constexpr DWORD kSystemMessageFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
// Marks an NT status wrapped as an HRESULT; its text lives in ntdll's message table.
constexpr std::uint32_t kNtStatusBit = 0x10000000;

std::string decode_bstr(const unique_bstr& text) {
  const wide_view units(text.get(), ::SysStringLen(text.get()));
  return decode_utf16_lossy(trim_wide_end(units));
}

// The restricted description when there is one, else the plain description;
// empty when the object does not offer restricted error information.
unique_bstr restricted_text(IErrorInfo& info) {
  com_ptr<IRestrictedErrorInfo> restricted;
  info.QueryInterface(kIidRestrictedErrorInfo, restricted.put_void());
  if (!restricted) return {};

  unique_bstr description;
  unique_bstr restricted_description;
  unique_bstr capability_sid;
  HRESULT error = 0;
  restricted->GetErrorDetails(description.put(), &error, restricted_description.put(),
                              capability_sid.put());
  capability_sid.reset();
  if (::SysStringLen(restricted_description.get()) == 0) return description;
  return restricted_description;
}

}  // namespace

PlatformError from_status(HRESULT status) {
  com_ptr<IErrorInfo> info;
  ::GetErrorInfo(0, info.put());
  return PlatformError(status, std::move(info));
}

PlatformError null_object_error() noexcept {
  return PlatformError(0, com_ptr<IErrorInfo>());
}

std::expected<void, PlatformError> check_status(HRESULT status) {
  if (status < 0) return std::unexpected(from_status(status));
  return {};
}

std::string PlatformError::message() const {
  // With error information present the system's table is never asked, even
  // when every description is empty.
  if (!info_) return system_message(code_);
  unique_bstr text = restricted_text(*info_);
  if (::SysStringLen(text.get()) == 0) info_->GetDescription(text.put());
  return decode_bstr(text);
}

std::string PlatformError::display_text() const {
  std::string text = message();
  if (text.empty()) return hresult_text(code_);
  text += " (";
  text += hresult_text(code_);
  text += ')';
  return text;
}

std::string hresult_text(HRESULT code) {
  std::string text = "0x";
  append_hex(text, static_cast<std::uint32_t>(code), 8);
  return text;
}

std::string system_message(HRESULT code) {
  DWORD flags = kSystemMessageFlags;
  LPCVOID source = nullptr;
  auto message_id = static_cast<DWORD>(code);
  if ((message_id & kNtStatusBit) != 0) {
    message_id &= ~kNtStatusBit;
    // Loaded for each lookup and never freed: the module stays mapped anyway.
    source = ::LoadLibraryExA("ntdll.dll", nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    flags |= FORMAT_MESSAGE_FROM_HMODULE;
  }
  unique_process_heap_string buffer;
  // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives the allocation.
  const DWORD count = ::FormatMessageW(flags, source, message_id, 0,
                                       reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  if (!buffer || count == 0) return {};
  return decode_utf16_lossy(trim_wide_end(wide_view(buffer.get(), count)));
}

}  // namespace velkaron::platform
