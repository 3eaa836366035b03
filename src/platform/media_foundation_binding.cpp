// Media Foundation, bound at run time from the system folder only.
//
// The exe does not import mfplat.dll: it is not one of the DLLs Windows always
// takes from the system folder, so the loader would look beside the exe first and
// run any file of that name lying there, and on an edition without Media
// Foundation the program would not start at all. The functions the probe calls
// are defined here under their SDK names instead, and forward to mfplat.dll
// loaded from the system folder, which also keeps mfplat's own dependencies
// there. The first call binds all of them, once; the module then stays loaded
// for the life of the process. The probe's first call is MFStartup, so a module
// or function that is missing fails MFStartup with HRESULT_FROM_WIN32 of the
// loader's error, and the run ends as any failed start-up does.

#include "platform/media_foundation_binding.h"

#include <bit>

namespace velkaron::platform {
namespace {

// The loader's error, never 0: a failure must not read as success.
DWORD last_error_or(DWORD fallback) {
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

}  // namespace

std::expected<MediaFoundationFunctions, DWORD> bind_media_foundation(HMODULE module) {
  MediaFoundationFunctions functions;
  DWORD missing = ERROR_SUCCESS;
  auto resolve = [module, &missing]<class Function>(Function& slot, const char* name) {
    slot = std::bit_cast<Function>(::GetProcAddress(module, name));
    if (slot == nullptr && missing == ERROR_SUCCESS) missing = last_error_or(ERROR_PROC_NOT_FOUND);
  };
#define VELKARON_RESOLVE(name) resolve(functions.name, #name);
  VELKARON_MEDIA_FOUNDATION_FUNCTIONS(VELKARON_RESOLVE)
#undef VELKARON_RESOLVE
  if (missing != ERROR_SUCCESS) return std::unexpected(missing);
  return functions;
}

}  // namespace velkaron::platform

namespace {

using velkaron::platform::MediaFoundationFunctions;

// Loaded and bound once. A module that lacks a function stays loaded too:
// unloading a DLL whose start-up code has run is the riskier choice, and the
// run is ending anyway.
const std::expected<MediaFoundationFunctions, DWORD>& media_foundation() {
  static const auto bound = []() -> std::expected<MediaFoundationFunctions, DWORD> {
    const HMODULE module = ::LoadLibraryExW(L"mfplat.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
      return std::unexpected(velkaron::platform::last_error_or(ERROR_MOD_NOT_FOUND));
    }
    return velkaron::platform::bind_media_foundation(module);
  }();
  return bound;
}

// Each function the probe calls: bind on the first call, then forward.
template <auto Function, class... Arguments>
HRESULT forward(Arguments... arguments) {
  const auto& bound = media_foundation();
  if (!bound) return HRESULT_FROM_WIN32(bound.error());
  return ((*bound).*Function)(arguments...);
}

}  // namespace

STDAPI MFStartup(ULONG version, DWORD flags) {
  return forward<&MediaFoundationFunctions::MFStartup>(version, flags);
}

STDAPI MFShutdown() {
  return forward<&MediaFoundationFunctions::MFShutdown>();
}

STDAPI MFTEnumEx(GUID category, UINT32 flags, const MFT_REGISTER_TYPE_INFO* input_type,
                 const MFT_REGISTER_TYPE_INFO* output_type, IMFActivate*** activates,
                 UINT32* count) {
  return forward<&MediaFoundationFunctions::MFTEnumEx>(category, flags, input_type, output_type,
                                                       activates, count);
}

STDAPI MFCreateMediaType(IMFMediaType** type) {
  return forward<&MediaFoundationFunctions::MFCreateMediaType>(type);
}
