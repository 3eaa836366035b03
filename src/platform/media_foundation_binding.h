#pragma once

// Media Foundation's functions, bound by name at run time (Windows only). The
// program takes them from the system folder's mfplat.dll on the first call to
// any of them: see media_foundation_binding.cpp.

#include <expected>

#include "platform/media_foundation_functions.h"
#include "platform/platform_api.h"

namespace velkaron::platform {

struct MediaFoundationFunctions {
#define VELKARON_FUNCTION_POINTER(name) decltype(&::name) name = nullptr;
  VELKARON_MEDIA_FOUNDATION_FUNCTIONS(VELKARON_FUNCTION_POINTER)
#undef VELKARON_FUNCTION_POINTER
};

// Every function from `module`, or the loader's error (never 0) for the first
// one it lacks.
std::expected<MediaFoundationFunctions, DWORD> bind_media_foundation(HMODULE module);

}  // namespace velkaron::platform
