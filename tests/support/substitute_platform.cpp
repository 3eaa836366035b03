#include "substitute_platform.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/platform_error.h"

namespace velkaron::test_support::substitute {
namespace {

Script g_script;
Ledger g_ledger;
IErrorInfo* g_thread_error_info = nullptr;

// Any distinct addresses serve as handles.
char g_ntdll_module;
char g_process_heap;

// Flags and message ids in the ledger read as the error text writes codes.
std::string hex(std::uint32_t value) {
  return platform::hresult_text(static_cast<HRESULT>(value));
}

// Copies `text` and its terminator into `units`, which has room for both.
WCHAR* copy_with_terminator(void* units, std::u16string_view text) {
  if (units == nullptr) std::abort();
  auto* copy = static_cast<WCHAR*>(units);
  std::memcpy(copy, text.data(), text.size() * sizeof(WCHAR));
  copy[text.size()] = u'\0';
  return copy;
}

// A BSTR's length prefix sits in the four bytes before its first unit.
struct BstrHeader {
  std::uint32_t byte_length;
};

}  // namespace

Script& script() {
  return g_script;
}
Ledger& ledger() {
  return g_ledger;
}

void reset() {
  g_script = Script{};
  g_ledger = Ledger{};
  g_thread_error_info = nullptr;
}

void set_error_info(IErrorInfo* info) {
  g_thread_error_info = info;
}

BSTR alloc_bstr(std::u16string_view text) {
  auto* block = static_cast<unsigned char*>(
      std::malloc(sizeof(BstrHeader) + (text.size() + 1) * sizeof(WCHAR)));
  if (block == nullptr) std::abort();
  const BstrHeader header{static_cast<std::uint32_t>(text.size() * sizeof(WCHAR))};
  std::memcpy(block, &header, sizeof header);
  WCHAR* units = copy_with_terminator(block + sizeof(BstrHeader), text);
  g_ledger.bstrs.insert(units);
  return units;
}

LPWSTR alloc_task_string(std::u16string_view text) {
  return copy_with_terminator(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)), text);
}

LPWSTR alloc_heap_string(std::u16string_view text) {
  WCHAR* units = copy_with_terminator(std::malloc((text.size() + 1) * sizeof(WCHAR)), text);
  g_ledger.heap_blocks.insert(units);
  return units;
}

}  // namespace velkaron::test_support::substitute

namespace substitute = velkaron::test_support::substitute;
using substitute::g_ledger;
using substitute::g_script;

HRESULT CoInitializeEx(LPVOID reserved, DWORD concurrency) {
  g_ledger.record("CoInitializeEx");
  if (reserved != nullptr || concurrency != COINIT_MULTITHREADED) {
    g_ledger.fault("CoInitializeEx called with unexpected arguments");
  }
  return g_script.co_initialize_ex();
}

void CoUninitialize() {
  g_ledger.record("CoUninitialize");
}

void* CoTaskMemAlloc(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr) g_ledger.task_memory.insert(block);
  return block;
}

void CoTaskMemFree(LPVOID block) {
  g_ledger.record("CoTaskMemFree");
  if (block == nullptr) return;
  if (g_ledger.task_memory.erase(block) == 0) {
    g_ledger.fault("CoTaskMemFree of a block the task allocator did not hand out");
    return;
  }
  std::free(block);
}

HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info) {
  g_ledger.record("GetErrorInfo");
  if (reserved != 0) g_ledger.fault("GetErrorInfo called with a nonzero reserved value");
  *info = std::exchange(substitute::g_thread_error_info, nullptr);
  return *info != nullptr ? S_OK : S_FALSE;
}

UINT SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  substitute::BstrHeader header;
  std::memcpy(&header, reinterpret_cast<const unsigned char*>(text) - sizeof header, sizeof header);
  return header.byte_length / sizeof(WCHAR);
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  if (g_ledger.bstrs.erase(text) == 0) {
    g_ledger.fault("SysFreeString of a string SysAllocString did not hand out");
    return;
  }
  std::free(reinterpret_cast<unsigned char*>(text) - sizeof(substitute::BstrHeader));
}

HRESULT MFStartup(ULONG version, DWORD flags) {
  g_ledger.record("MFStartup");
  if (version != MF_VERSION || flags != MFSTARTUP_FULL) {
    g_ledger.fault("MFStartup called with unexpected arguments");
  }
  return g_script.mf_startup();
}

HRESULT MFShutdown() {
  g_ledger.record("MFShutdown");
  return g_script.mf_shutdown();
}

HRESULT MFTEnumEx(GUID category, UINT32 flags, const MFT_REGISTER_TYPE_INFO* input_type,
                  const MFT_REGISTER_TYPE_INFO* output_type, IMFActivate*** activates,
                  UINT32* count) {
  g_ledger.record("MFTEnumEx");
  if (flags != 0x44 || input_type != nullptr || output_type == nullptr) {
    g_ledger.fault("MFTEnumEx called with unexpected arguments");
  } else {
    g_ledger.enum_requests.push_back(velkaron::platform::guid_text(category) + " " +
                                     velkaron::platform::guid_text(output_type->guidMajorType) +
                                     " " + velkaron::platform::guid_text(output_type->guidSubtype));
  }
  if (*activates != nullptr || *count != 0) {
    g_ledger.fault("MFTEnumEx called with out-slots that were not cleared");
  }
  return g_script.mft_enum_ex(activates, count);
}

HRESULT MFCreateMediaType(IMFMediaType** type) {
  g_ledger.record("MFCreateMediaType");
  return g_script.create_media_type(type);
}

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD message_id, DWORD /*language_id*/,
                     LPWSTR buffer, DWORD /*size*/, va_list* /*arguments*/) {
  const bool from_module = (flags & FORMAT_MESSAGE_FROM_HMODULE) != 0;
  g_ledger.record("FormatMessageW " + substitute::hex(flags) + " " + substitute::hex(message_id) +
                  (from_module ? " ntdll" : ""));
  if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) == 0) {
    g_ledger.fault("FormatMessageW without FORMAT_MESSAGE_ALLOCATE_BUFFER");
    return 0;
  }
  if (from_module && source != &substitute::g_ntdll_module) {
    g_ledger.fault("FormatMessageW from a module that LoadLibraryExA did not hand out");
  }
  auto* out = reinterpret_cast<LPWSTR*>(buffer);
  *out = nullptr;
  const std::optional<std::u16string> text = g_script.system_message(message_id, from_module);
  if (!text) return 0;
  *out = substitute::alloc_heap_string(*text);
  return static_cast<DWORD>(text->size());
}

HMODULE LoadLibraryExA(LPCSTR file_name, HANDLE file, DWORD flags) {
  g_ledger.record(std::string("LoadLibraryExA ") + file_name + " " + substitute::hex(flags));
  if (file != nullptr) g_ledger.fault("LoadLibraryExA called with a file handle");
  return reinterpret_cast<HMODULE>(&substitute::g_ntdll_module);
}

HANDLE GetProcessHeap() {
  return &substitute::g_process_heap;
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block) {
  g_ledger.record("HeapFree");
  if (heap != &substitute::g_process_heap || flags != 0) {
    g_ledger.fault("HeapFree called with unexpected arguments");
  }
  if (g_ledger.heap_blocks.erase(block) == 0) {
    g_ledger.fault("HeapFree of a block FormatMessageW did not hand out");
    return 0;
  }
  std::free(block);
  return 1;
}
