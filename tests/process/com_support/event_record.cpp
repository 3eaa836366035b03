#include "event_record.h"

#include <windows.h>

#include <mutex>

#include "platform/platform_error.h"

namespace velkaron::wine_test {
namespace {

std::mutex record_mutex;
HANDLE record_file = INVALID_HANDLE_VALUE;

}  // namespace

std::wstring environment_text(const wchar_t* variable) {
  const DWORD needed = GetEnvironmentVariableW(variable, nullptr, 0);
  if (needed == 0) return {};
  std::wstring value(needed, L'\0');
  const DWORD written = GetEnvironmentVariableW(variable, value.data(), needed);
  value.resize(written < needed ? written : 0);
  return value;
}

void open_record(const wchar_t* variable) {
  const std::wstring path = environment_text(variable);
  if (path.empty()) return;
  std::lock_guard lock(record_mutex);
  if (record_file != INVALID_HANDLE_VALUE) return;
  record_file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void record_line(std::string_view line) {
  std::lock_guard lock(record_mutex);
  if (record_file == INVALID_HANDLE_VALUE) return;
  std::string text(line);
  text += '\n';
  DWORD written = 0;
  WriteFile(record_file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

HRESULT record_result(std::string_view call, HRESULT status) {
  record_line(std::string(call) + " -> " + platform::hresult_text(status));
  return status;
}

}  // namespace velkaron::wine_test
