// Registers the fixture encoders in the current Wine prefix, the way a GPU
// driver's installer registers its hardware encoder: the CLSID's in-process
// server (the fixture DLL beside this program) and the transform's entry in
// the video encoder category, as a hardware, asynchronous encoder with H.264
// output. With --demo only the encoders meant for a demonstration.

#include <mfapi.h>
#include <mftransform.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "fixture_encoders.h"
#include "platform/unique_any.h"

using namespace velkaron::wine_test;

namespace {

std::wstring fixture_dll_path() {
  wchar_t own_path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, own_path, MAX_PATH);
  std::wstring path(own_path, length);
  path.erase(path.find_last_of(L'\\') + 1);
  return path + L"fixture_encoder.dll";
}

bool set_text(HKEY key, const wchar_t* value_name, const std::wstring& text) {
  return RegSetValueExW(key, value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void close_key(HKEY key) noexcept {
  RegCloseKey(key);
}
using Key = velkaron::platform::unique_any<HKEY, close_key>;

bool create_key(HKEY parent, const std::wstring& path, Key& key) {
  return RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                         nullptr) == ERROR_SUCCESS;
}

bool register_server(const GUID& clsid, const std::wstring& name, const std::wstring& dll_path) {
  wchar_t clsid_text[40];
  StringFromGUID2(clsid, clsid_text, 40);
  Key class_key;
  Key server_key;
  return create_key(HKEY_LOCAL_MACHINE, std::wstring(L"Software\\Classes\\CLSID\\") + clsid_text,
                    class_key) &&
         set_text(class_key.get(), nullptr, name) &&
         create_key(class_key.get(), L"InprocServer32", server_key) &&
         set_text(server_key.get(), nullptr, dll_path) &&
         set_text(server_key.get(), L"ThreadingModel", L"Both");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool demo_only = argc > 1 && std::wcscmp(argv[1], L"--demo") == 0;
  const std::wstring dll_path = fixture_dll_path();
  MFT_REGISTER_TYPE_INFO h264_output = {mf::MFMediaType_Video, mf::MFVideoFormat_H264};
  int registered = 0;
  for (const auto& encoder : fixture_encoders()) {
    if (demo_only && !encoder.demonstrated) continue;
    std::wstring name(encoder.name->units.begin(), encoder.name->units.end());
    if (!register_server(*encoder.clsid, name, dll_path)) {
      std::fwprintf(stderr, L"cannot register the in-process server of %ls\n", name.c_str());
      return 1;
    }
    const HRESULT status = MFTRegister(*encoder.clsid, mf::MFT_CATEGORY_VIDEO_ENCODER, name.data(),
                                       MFT_ENUM_FLAG_HARDWARE | MFT_ENUM_FLAG_ASYNCMFT, 0, nullptr,
                                       1, &h264_output, nullptr);
    if (FAILED(status)) {
      std::fwprintf(stderr, L"MFTRegister of %ls failed: 0x%08lX\n", name.c_str(),
                    static_cast<unsigned long>(status));
      return 1;
    }
    ++registered;
  }
  std::printf("registered %d fixture encoders\n", registered);
  return 0;
}
