#include "standard_streams.h"

#if defined(_WIN32)
#include <windows.h>

#include <string>

#include "platform/platform_error.h"
#include "stream_write_rules.h"
#endif

namespace velkaron::cli {

#if defined(_WIN32)
namespace {

StreamWriteError system_error(DWORD code) {
  return {code, platform::system_message(static_cast<HRESULT>(code))};
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
  // The error of a failed call, read right after that call, before anything else can change it.
  DWORD failure = ERROR_SUCCESS;
  const auto keep_error = [&failure](BOOL succeeded) {
    if (!succeeded) failure = ::GetLastError();
    return succeeded != FALSE;
  };
  const WriteEnd end = write_text<DWORD>(
      choose_write_path(traits_of(handle)), utf8,
      [&](const wchar_t* data, DWORD asked, DWORD* written) {
        return keep_error(::WriteConsoleW(handle, data, asked, written, nullptr));
      },
      [&](const char* data, DWORD asked, DWORD* written) {
        return keep_error(::WriteFile(handle, data, asked, written, nullptr));
      });
  switch (end) {
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
