// Prints the system's message text for each status code given on the command
// line, looked up the way the probe looks it up, so that the end-to-end tests
// build their expectations from this system's texts instead of hard-coding
// them (Wine words them differently from Windows). One line per code: the
// code, a blank, and the text's UTF-16 units as four hexadecimal digits each,
// untrimmed; nothing after the blank when the system has no text.

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "platform/platform_memory.h"

int wmain(int argc, wchar_t** argv) {
  for (int i = 1; i < argc; ++i) {
    const auto code = static_cast<DWORD>(std::wcstoul(argv[i], nullptr, 16));
    DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    DWORD message_id = code;
    HMODULE source = nullptr;
    // A wrapped NT status: its text is the NT status's, from ntdll's table.
    if ((code & 0x10000000u) != 0) {
      message_id = code & 0xEFFFFFFFu;
      source = LoadLibraryExA("ntdll.dll", nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
      flags |= FORMAT_MESSAGE_FROM_HMODULE;
    }
    velkaron::platform::unique_process_heap_string buffer;
    const DWORD length = FormatMessageW(flags, source, message_id, 0,
                                        reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    std::printf("%08lX ", static_cast<unsigned long>(code));
    for (DWORD unit = 0; buffer && unit < length; ++unit) {
      std::printf("%04X", static_cast<unsigned>(buffer.get()[unit]));
    }
    std::printf("\n");
  }
  return 0;
}
