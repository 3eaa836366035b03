#include "standard_streams.h"

#if defined(_WIN32)
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/platform_error.h"
#include "platform/wide_text.h"
#include "stream_write_rules.h"
#else
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace velkaron::cli {

#if defined(_WIN32)
namespace {

StreamWriteError system_error(DWORD code) {
  return {code, platform::system_message(static_cast<HRESULT>(code))};
}

// Runs the write loop over `text` with `write_once`, which answers whether its
// one call succeeded and how much it wrote. The error of a failed call is read
// right after that call, before anything else can change it.
template <class Unit, class WriteOnce>
std::expected<void, StreamWriteError> write_with(std::basic_string_view<Unit> text,
                                                 WriteOnce write_once, std::size_t* taken) {
  DWORD failure = ERROR_SUCCESS;
  const WriteProgress progress = write_all(text, [&](std::basic_string_view<Unit> rest) {
    const WriteCall call = write_once(rest);
    if (!call.succeeded) failure = ::GetLastError();
    return call;
  });
  if (taken != nullptr) *taken = progress.written;
  switch (progress.end) {
    case WriteEnd::complete:
      return {};
    case WriteEnd::call_failed:
      return std::unexpected(system_error(failure));
    case WriteEnd::no_progress:
      break;
  }
  // The calls succeeded, so the system has no error of its own to give.
  return std::unexpected(system_error(ERROR_WRITE_FAULT));
}

std::expected<void, StreamWriteError> write_bytes(HANDLE handle, std::string_view bytes) {
  return write_with(
      bytes,
      [handle](std::string_view rest) {
        const auto asked = static_cast<DWORD>(std::min<std::size_t>(rest.size(), MAXDWORD));
        DWORD written = 0;
        const bool succeeded = ::WriteFile(handle, rest.data(), asked, &written, nullptr);
        return WriteCall{succeeded, written};
      },
      nullptr);
}

// `taken` receives the units the console took, also when the write fails.
std::expected<void, StreamWriteError> write_console(HANDLE handle, std::string_view utf8,
                                                    std::size_t* taken) {
  const platform::wide_string text = platform::encode_utf16(utf8);
  return write_with(
      std::wstring_view(text),
      [handle](std::wstring_view rest) {
        const auto asked = static_cast<DWORD>(console_chunk_length(rest));
        DWORD written = 0;
        const bool succeeded = ::WriteConsoleW(handle, rest.data(), asked, &written, nullptr);
        return WriteCall{succeeded, written};
      },
      taken);
}

StreamHandleTraits traits_of(HANDLE handle) {
  DWORD mode = 0;
  return {
      .console_mode_readable = ::GetConsoleMode(handle, &mode) != FALSE,
      .character_device = ::GetFileType(handle) == FILE_TYPE_CHAR,
      .console_takes_utf8 = ::GetConsoleOutputCP() == CP_UTF8,
  };
}

std::expected<void, StreamWriteError> write_to(HANDLE handle, std::string_view utf8) {
  switch (choose_write_path(traits_of(handle))) {
    case WritePath::bytes:
      return write_bytes(handle, utf8);
    case WritePath::console:
      return write_console(handle, utf8, nullptr);
    case WritePath::console_else_bytes:
      break;
  }
  std::size_t taken = 0;
  auto written = write_console(handle, utf8, &taken);
  // Refused before taking anything: not a console after all.
  if (!written && taken == 0) return write_bytes(handle, utf8);
  return written;
}

}  // namespace

std::expected<void, StreamWriteError> write_standard_stream(StandardStream stream,
                                                            std::string_view utf8) {
  const HANDLE handle =
      ::GetStdHandle(stream == StandardStream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return {};

  auto written = write_to(handle, utf8);
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

std::string write_failure_message(StandardStream stream, const StreamWriteError& error) {
  std::string message = "failed printing to ";
  message += stream == StandardStream::output ? "stdout" : "stderr";
  message += ": ";
  message += error.system_text;
  message += error.system_text.empty() ? "(os error " : " (os error ";
  message += std::to_string(error.code);
  message += ")\n";
  return message;
}

}  // namespace velkaron::cli
