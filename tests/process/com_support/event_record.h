#pragma once

// What a test fixture saw, appended line by line to the file that an
// environment variable names, so that the test reads it after the process has
// ended. Every line is written through at once: nothing depends on an orderly exit.

#include <windows.h>

#include <string>
#include <string_view>

namespace velkaron::wine_test {

// Opens the file named by the variable (a Windows path); without the variable
// nothing is recorded.
void open_record(const wchar_t* variable);
void record_line(std::string_view line);
// Records "<call> -> <status>" and returns the status.
HRESULT record_result(std::string_view call, HRESULT status);

// The variable's value, empty when unset.
std::wstring environment_text(const wchar_t* variable);

}  // namespace velkaron::wine_test
