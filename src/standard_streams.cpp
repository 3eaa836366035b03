#include "standard_streams.h"

#if defined(_WIN32)
#include <windows.h>

#include <string>

#include "platform/platform_error.h"
#include "platform/wide_text.h"
#include "stream_write_rules.h"
#endif

namespace velkaron::cli {

#if defined(_WIN32)
namespace {

StreamWriteError system_error(DWORD code) {
  return {code, platform::system_message(static_cast<HRESULT>(code))};
}

// Runs the write loop over `text` with `system_write`, a call in the manner of
// WriteFile. The error of a failed call is read right after that call, before
// anything else can change it.
template <class Unit, class ChunkLength, class SystemWrite>
std::expected<void, StreamWriteError> write_with(std::basic_string_view<Unit> text,
                                                 ChunkLength chunk_length, SystemWrite system_write,
                                                 std::size_t* taken) {
  DWORD failure = ERROR_SUCCESS;
  const WriteProgress progress =
      write_through<DWORD>(text, chunk_length, [&](const Unit* data, DWORD asked, DWORD* written) {
        const bool succeeded = system_write(data, asked, written);
        if (!succeeded) failure = ::GetLastError();
        return succeeded;
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
      bytes, [](std::string_view rest) { return rest.size(); },
      [handle](const char* data, DWORD asked, DWORD* written) {
        return ::WriteFile(handle, data, asked, written, nullptr) != FALSE;
      },
      nullptr);
}

// `taken` receives the units the console took, also when the write fails.
std::expected<void, StreamWriteError> write_console(HANDLE handle, std::string_view utf8,
                                                    std::size_t* taken) {
  const platform::wide_string text = platform::encode_utf16(utf8);
  return write_with(
      std::wstring_view(text), [](std::wstring_view rest) { return console_chunk_length(rest); },
      [handle](const wchar_t* data, DWORD asked, DWORD* written) {
        return ::WriteConsoleW(handle, data, asked, written, nullptr) != FALSE;
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
  return write_console_else_bytes(
      [&](std::size_t* taken) { return write_console(handle, utf8, taken); },
      [&] { return write_bytes(handle, utf8); });
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
