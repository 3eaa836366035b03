#include "standard_streams.h"

#if defined(_WIN32)
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/platform_error.h"
#else
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace velkaron::cli {

#if defined(_WIN32)
namespace {

// Kept well below the sizes at which some consoles refuse a single write.
constexpr std::size_t kConsoleChunkUnits = 8192;

StreamWriteError last_write_error() {
  const DWORD code = ::GetLastError();
  return {code, platform::system_message(static_cast<HRESULT>(code))};
}

std::expected<void, StreamWriteError> write_bytes(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const auto asked = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
    DWORD written = 0;
    if (!::WriteFile(handle, bytes.data(), asked, &written, nullptr)) {
      return std::unexpected(last_write_error());
    }
    bytes.remove_prefix(written);
  }
  return {};
}

std::wstring to_utf16(std::string_view utf8) {
  if (utf8.empty()) return {};
  const auto size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), length);
  return text;
}

std::expected<void, StreamWriteError> write_console(HANDLE handle, std::string_view utf8) {
  const std::wstring text = to_utf16(utf8);
  std::wstring_view rest = text;
  while (!rest.empty()) {
    std::size_t chunk = std::min(rest.size(), kConsoleChunkUnits);
    // A surrogate pair stays within one write.
    if (chunk < rest.size() && rest[chunk - 1] >= 0xD800 && rest[chunk - 1] <= 0xDBFF) --chunk;
    DWORD written = 0;
    if (!::WriteConsoleW(handle, rest.data(), static_cast<DWORD>(chunk), &written, nullptr)) {
      return std::unexpected(last_write_error());
    }
    rest.remove_prefix(written);
  }
  return {};
}

}  // namespace

std::expected<void, StreamWriteError> write_standard_stream(StandardStream stream,
                                                            std::string_view utf8) {
  const HANDLE handle =
      ::GetStdHandle(stream == StandardStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return {};

  DWORD mode = 0;
  const bool legacy_console = ::GetConsoleMode(handle, &mode) && ::GetConsoleOutputCP() != CP_UTF8;
  auto written = legacy_console ? write_console(handle, utf8) : write_bytes(handle, utf8);
  // A handle value that names nothing is a stream the process was not given.
  if (!written && written.error().code == ERROR_INVALID_HANDLE) return {};
  return written;
}

#else

std::expected<void, StreamWriteError> write_standard_stream(StandardStream stream,
                                                            std::string_view utf8) {
  const int fd = stream == StandardStream::output ? STDOUT_FILENO : STDERR_FILENO;
  while (!utf8.empty()) {
    const ssize_t written = ::write(fd, utf8.data(), utf8.size());
    if (written < 0) {
      const int code = errno;
      if (code == EINTR) continue;
      if (code == EBADF) return {};
      return std::unexpected(
          StreamWriteError{static_cast<std::uint32_t>(code), std::strerror(code)});
    }
    utf8.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

#endif

}  // namespace velkaron::cli
