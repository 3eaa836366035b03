#include "fixture_registration.h"

#include <mfapi.h>
#include <mftransform.h>

#include <bit>
#include <optional>
#include <utility>

#include "fixture_encoders.h"
#include "known_guids.h"
#include "platform/platform_error.h"
#include "platform/platform_memory.h"
#include "platform/unique_any.h"
#include "platform/wide_text.h"

namespace velkaron::wine_test {
namespace {

// Media Foundation's registration functions, bound at run time from the system folder as the
// program binds its own: the test programs must start, and list their cases, on a Windows without
// Media Foundation (a Server without its feature), where an import of mfplat.dll would stop them.
// Once loaded, the module stays loaded for the life of the process.
struct TransformRegistry {
  decltype(&::MFTRegister) register_transform;
  decltype(&::MFTUnregister) unregister_transform;
  decltype(&::MFTGetInfo) transform_info;
};

const TransformRegistry* transform_registry() {
  static const std::optional<TransformRegistry> bound = []() -> std::optional<TransformRegistry> {
    const HMODULE module = LoadLibraryExW(L"mfplat.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return std::nullopt;
    const TransformRegistry functions{
        std::bit_cast<decltype(&::MFTRegister)>(GetProcAddress(module, "MFTRegister")),
        std::bit_cast<decltype(&::MFTUnregister)>(GetProcAddress(module, "MFTUnregister")),
        std::bit_cast<decltype(&::MFTGetInfo)>(GetProcAddress(module, "MFTGetInfo"))};
    if (functions.register_transform == nullptr || functions.unregister_transform == nullptr ||
        functions.transform_info == nullptr) {
      return std::nullopt;
    }
    return functions;
  }();
  return bound ? &*bound : nullptr;
}

void close_key(HKEY key) noexcept {
  RegCloseKey(key);
}
using Key = platform::unique_any<HKEY, close_key>;

std::wstring braced(const GUID& clsid) {
  wchar_t text[40] = {};
  StringFromGUID2(clsid, text, 40);
  return text;
}

std::wstring class_key_path(const GUID& clsid) {
  return L"Software\\Classes\\CLSID\\" + braced(clsid);
}

std::string utf8(const std::wstring& text) {
  return platform::decode_utf16_lossy(text);
}

LONG set_text(HKEY key, const wchar_t* value_name, const std::wstring& text) {
  return RegSetValueExW(key, value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG create_key(HKEY parent, const std::wstring& path, Key& key) {
  return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                         nullptr);
}

// The in-process server's key, whose creation the caller owns from the first call on.
LONG register_server(const GUID& clsid, const std::wstring& name, const std::wstring& server_path,
                     Key& class_key) {
  Key server_key;
  LONG error = create_key(HKEY_LOCAL_MACHINE, class_key_path(clsid), class_key);
  if (error == ERROR_SUCCESS) error = set_text(class_key.get(), nullptr, name);
  if (error == ERROR_SUCCESS) error = create_key(class_key.get(), L"InprocServer32", server_key);
  if (error == ERROR_SUCCESS) error = set_text(server_key.get(), nullptr, server_path);
  if (error == ERROR_SUCCESS) error = set_text(server_key.get(), L"ThreadingModel", L"Both");
  return error;
}

}  // namespace

std::expected<FixtureRegistration, RegistrationFailure> FixtureRegistration::register_encoders(
    const std::wstring& server_path, bool demonstrated_only) {
  const TransformRegistry* registry = transform_registry();
  if (registry == nullptr) {
    return std::unexpected(RegistrationFailure{
        "mfplat.dll or its registration functions are missing from the system folder", false});
  }
  FixtureRegistration registration;
  MFT_REGISTER_TYPE_INFO h264_output = {mf::MFMediaType_Video, mf::MFVideoFormat_H264};
  for (const auto& encoder : fixture_encoders()) {
    if (demonstrated_only && !encoder.demonstrated) continue;
    std::wstring name(encoder.name->units.begin(), encoder.name->units.end());
    Key class_key;
    const LONG error = register_server(*encoder.clsid, name, server_path, class_key);
    if (class_key) registration.servers_.push_back(*encoder.clsid);
    if (error != ERROR_SUCCESS) {
      return std::unexpected(RegistrationFailure{"registering the in-process server of " +
                                                     utf8(name) + " failed with error " +
                                                     std::to_string(error),
                                                 error == ERROR_ACCESS_DENIED});
    }
    const HRESULT status = registry->register_transform(
        *encoder.clsid, mf::MFT_CATEGORY_VIDEO_ENCODER, name.data(),
        MFT_ENUM_FLAG_HARDWARE | MFT_ENUM_FLAG_ASYNCMFT, 0, nullptr, 1, &h264_output, nullptr);
    if (FAILED(status)) {
      return std::unexpected(RegistrationFailure{
          "MFTRegister of " + utf8(name) + " failed: " + platform::hresult_text(status),
          status == E_ACCESSDENIED});
    }
    registration.transforms_.push_back(*encoder.clsid);
  }
  return registration;
}

FixtureRegistration::FixtureRegistration(FixtureRegistration&& other) noexcept
    : servers_(std::exchange(other.servers_, {})),
      transforms_(std::exchange(other.transforms_, {})) {}

FixtureRegistration::~FixtureRegistration() {
  for (auto clsid = transforms_.rbegin(); clsid != transforms_.rend(); ++clsid) {
    transform_registry()->unregister_transform(*clsid);
  }
  for (auto clsid = servers_.rbegin(); clsid != servers_.rend(); ++clsid) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, class_key_path(*clsid).c_str());
  }
}

void FixtureRegistration::keep() noexcept {
  servers_.clear();
  transforms_.clear();
}

std::vector<std::string> fixture_registration_traces() {
  const TransformRegistry* registry = transform_registry();
  std::vector<std::string> traces;
  for (const GUID& clsid : kFixtureClsids) {
    const std::string text = guid_name(clsid);
    Key key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, class_key_path(clsid).c_str(), 0, KEY_READ, key.put()) ==
        ERROR_SUCCESS) {
      traces.push_back("HKLM\\Software\\Classes\\CLSID\\" + text);
    }
    platform::unique_cotaskmem_string name;
    if (registry != nullptr &&
        SUCCEEDED(registry->transform_info(clsid, name.put(), nullptr, nullptr, nullptr, nullptr,
                                           nullptr))) {
      traces.push_back("the Media Foundation transform " + text);
    }
  }
  return traces;
}

}  // namespace velkaron::wine_test
