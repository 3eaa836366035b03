// Registers the fixture encoders in the current Wine prefix, the way a GPU
// driver's installer registers its hardware encoder (fixture_registration.h),
// with the fixture DLL beside this program as their in-process server, and
// leaves them registered. With --demo only the encoders meant for a demonstration.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "fixture_registration.h"

using namespace velkaron::wine_test;

namespace {

std::wstring fixture_dll_path() {
  wchar_t own_path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, own_path, MAX_PATH);
  std::wstring path(own_path, length);
  path.erase(path.find_last_of(L'\\') + 1);
  return path + L"fixture_encoder.dll";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool demo_only = argc > 1 && std::wcscmp(argv[1], L"--demo") == 0;
  auto registration = FixtureRegistration::register_encoders(fixture_dll_path(), demo_only);
  if (!registration) {
    std::fprintf(stderr, "%s\n", registration.error().what.c_str());
    return 1;
  }
  const auto count = static_cast<unsigned long>(registration->size());
  registration->keep();
  std::printf("registered %lu fixture encoders\n", count);
  return 0;
}
