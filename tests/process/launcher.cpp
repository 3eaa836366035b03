#include "launcher.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/unique_any.h"
#include "platform/wide_text.h"
#include "wine_exit_noise.h"

namespace velkaron::wine_test {
namespace {

constexpr DWORD kChildTimeoutMilliseconds = 60'000;
constexpr DWORD kLaunchFailed = 0xFFFFFFFF;
// Far above any handle a freshly started process holds.
const HANDLE kBogusHandle = reinterpret_cast<HANDLE>(std::uintptr_t{0x00BADBAC});

void close_handle(HANDLE handle) noexcept {
  ::CloseHandle(handle);
}
using Handle = platform::unique_any<HANDLE, close_handle>;

// A temporary file the child inherits as a standard stream; gone when closed.
Handle capture_file() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (::GetTempPathW(MAX_PATH + 1, folder) == 0 ||
      ::GetTempFileNameW(folder, L"cap", 0, name) == 0) {
    return Handle();
  }
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE file = ::CreateFileW(
      name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  return Handle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The write end of a pipe nobody will ever read: its read end is already closed.
Handle closed_pipe() {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle read_end;
  Handle write_end;
  if (!::CreatePipe(read_end.put(), write_end.put(), &inheritable, 0)) return Handle();
  return write_end;
}

// The write end of a full pipe in no-wait mode, whose read end `reader` keeps open and never
// reads: every write to it succeeds having written nothing.
Handle full_pipe(Handle& reader) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle write_end;
  DWORD no_wait = PIPE_NOWAIT;
  if (!::CreatePipe(reader.put(), write_end.put(), &inheritable, 0) ||
      !::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0) ||
      !::SetNamedPipeHandleState(write_end.get(), &no_wait, nullptr, nullptr)) {
    return Handle();
  }
  // Windows takes what fits, Wine all or nothing: halving the size fills the pipe on both.
  constexpr DWORD kFillerSize = 4096;
  static constexpr char kFiller[kFillerSize] = {};
  for (DWORD size = kFillerSize; size > 0; size /= 2) {
    DWORD written = 0;
    while (::WriteFile(write_end.get(), kFiller, size, &written, nullptr) && written > 0) {
    }
  }
  return write_end;
}

// Everything in the file from its start; the child has exited, so this ends.
std::string read_all(const Handle& file) {
  std::string bytes;
  if (!file) return bytes;
  ::SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

// Sets the stdout handle of `child`, started as our debuggee, to kBogusHandle once
// its start-up is done (at the loader's first breakpoint), then lets it run free.
// Handle values passed at creation are no use for this: Wine hands the child a
// null handle in place of one that names nothing.
bool give_bogus_stdout(const PROCESS_INFORMATION& child) {
  for (;;) {
    DEBUG_EVENT event{};
    if (!::WaitForDebugEvent(&event, kChildTimeoutMilliseconds)) return false;
    DWORD answer = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      // The image files handed to a debugger are its to close.
      case CREATE_PROCESS_DEBUG_EVENT:
        Handle(event.u.CreateProcessInfo.hFile).reset();
        break;
      case LOAD_DLL_DEBUG_EVENT:
        Handle(event.u.LoadDll.hFile).reset();
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        return false;
      case EXCEPTION_DEBUG_EVENT:
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
          answer = DBG_EXCEPTION_NOT_HANDLED;
          break;
        }
        {
          // The standard handles sit in the process parameters, after the console
          // handle and flags and the input handle.
          PROCESS_BASIC_INFORMATION basic{};
          char* parameters = nullptr;
          const HANDLE bogus = kBogusHandle;
          const bool set =
              // An NTSTATUS is a success when not negative (NT_SUCCESS is missing from older SDKs).
              ::NtQueryInformationProcess(child.hProcess, ProcessBasicInformation, &basic,
                                          sizeof basic, nullptr) >= 0 &&
              ::ReadProcessMemory(child.hProcess,
                                  reinterpret_cast<const char*>(basic.PebBaseAddress) +
                                      offsetof(PEB, ProcessParameters),
                                  &parameters, sizeof parameters, nullptr) &&
              ::WriteProcessMemory(
                  child.hProcess,
                  parameters + offsetof(RTL_USER_PROCESS_PARAMETERS, Reserved2) + 3 * sizeof(PVOID),
                  &bogus, sizeof bogus, nullptr);
          ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
          return ::DebugActiveProcessStop(child.dwProcessId) && set;
        }
    }
    ::ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
  }
}

// Fails the calling test; the run's status says that the launch failed.
ChildRun launch_failed(const std::string& why) {
  ADD_FAILURE() << why << ", error " << ::GetLastError();
  return {kLaunchFailed, {}, {}};
}

ChildRun launch_once(const std::wstring& program, const std::wstring& command_line,
                     ChildStreams streams) {
  Handle out;
  Handle err;
  Handle full_pipe_reader;
  DWORD flags = streams == ChildStreams::stdout_bogus ? DEBUG_ONLY_THIS_PROCESS : 0;
  if (streams == ChildStreams::none) {
    // The child is to have no standard handles and no console to find any in.
    flags = DETACHED_PROCESS;
  } else {
    out = streams == ChildStreams::stdout_closed_pipe ? closed_pipe()
          : streams == ChildStreams::stdout_full_pipe ? full_pipe(full_pipe_reader)
                                                      : capture_file();
    err = streams == ChildStreams::stderr_closed_pipe ? closed_pipe() : capture_file();
    if (!out || !err) return launch_failed("cannot create the child's streams");
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out.get();
  startup.hStdError = err.get();

  // CreateProcessW may write into the command line it is given.
  std::wstring writable_line = command_line;
  PROCESS_INFORMATION started{};
  const BOOL inherit = streams != ChildStreams::none;
  if (!::CreateProcessW(program.c_str(), writable_line.data(), nullptr, nullptr, inherit, flags,
                        nullptr, nullptr, &startup, &started)) {
    return launch_failed("CreateProcessW failed");
  }
  const Handle process(started.hProcess);
  const Handle thread(started.hThread);
  if (streams == ChildStreams::stdout_bogus && !give_bogus_stdout(started)) {
    ::TerminateProcess(process.get(), kLaunchFailed);
    return launch_failed("cannot give the child a bogus stdout handle");
  }

  if (::WaitForSingleObject(process.get(), kChildTimeoutMilliseconds) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), kLaunchFailed);
    ::WaitForSingleObject(process.get(), kChildTimeoutMilliseconds);
    return launch_failed("the child did not end within " +
                         std::to_string(kChildTimeoutMilliseconds) + " ms");
  }
  ChildRun run;
  ::GetExitCodeProcess(process.get(), &run.exit_code);
  if (streams != ChildStreams::stdout_closed_pipe && streams != ChildStreams::stdout_full_pipe) {
    run.out = read_all(out);
  }
  if (streams != ChildStreams::stderr_closed_pipe)
    run.err = std::string(without_wine_exit_noise(read_all(err)));
  return run;
}

}  // namespace

ChildRun launch(const std::wstring& program, const std::wstring& command_line,
                ChildStreams streams) {
  ChildRun run = launch_once(program, command_line, streams);
  // Very rarely a run under Wine ends with status 1 before the program wrote
  // anything; such a run is repeated once, and says so.
  if (streams == ChildStreams::captured && run.exit_code == 1 && run.out.empty() &&
      run.err.empty()) {
    std::printf("note: the child ended with status 1 and no output; repeating the run once\n");
    run = launch_once(program, command_line, streams);
  }
  return run;
}

std::wstring windows_path(const std::string& path) {
  std::wstring converted = path.starts_with('/') ? L"Z:" : L"";
  for (const wchar_t unit : platform::encode_utf16(path)) converted += unit == L'/' ? L'\\' : unit;
  return converted;
}

}  // namespace velkaron::wine_test
