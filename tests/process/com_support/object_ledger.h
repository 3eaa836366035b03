#pragma once

// The count of a fixture's live COM objects and of every misuse of one: a call
// on an object whose last reference was already released (a double release
// included). The summary line is what the end-to-end tests check.

#include <windows.h>

#include <string>
#include <string_view>

namespace velkaron::wine_test {

// A new object of the kind; returns its name, numbered within its kind: "transform#1".
std::string object_born(std::string_view kind);
void object_died(std::string_view name);
void object_misused(std::string_view name, std::string_view method);

// For DllMain: "attach" in the record that the variable names (opened here),
// or at unload "detach" and the summary. True on attach.
bool record_module_life(DWORD reason, const wchar_t* record_variable);

int live_objects();
// "live=N misused=M", followed by " alive:" and the names still alive, if any.
std::string ledger_summary();

}  // namespace velkaron::wine_test
