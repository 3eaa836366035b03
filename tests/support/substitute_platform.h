#pragma once

// The scripted platform behind windows_subset.h. By default it behaves like a
// machine with working COM and Media Foundation and no hardware encoder. Tests
// replace the behaviour of each free function, put an error-information object
// on the thread, and read back the ledger: every platform call in order, and
// every task-allocator, BSTR and heap block that was handed out and freed.

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows_subset.h"

namespace velkaron::test_support::substitute {

// The free functions' behaviour. Each member may be replaced by a test.
struct Script {
  std::function<HRESULT()> co_initialize_ex = [] { return S_OK; };
  std::function<HRESULT()> mf_startup = [] { return S_OK; };
  std::function<HRESULT()> mf_shutdown = [] { return S_OK; };
  // Fills the out-slots as MFTEnumEx would; the array must come from CoTaskMemAlloc.
  std::function<HRESULT(IMFActivate*** activates, UINT32* count)> mft_enum_ex =
      [](IMFActivate***, UINT32*) { return S_OK; };
  std::function<HRESULT(IMFMediaType** type)> create_media_type = [](IMFMediaType**) {
    return E_NOTIMPL;
  };
  // The system's message text for FormatMessageW: (message id, from ntdll's table) -> text.
  std::function<std::optional<std::u16string>(DWORD id, bool from_module)> system_message =
      [](DWORD, bool) { return std::nullopt; };
};

// What happened, in order.
struct Ledger {
  std::vector<std::string> calls;
  std::set<const void*> task_memory;  // CoTaskMemAlloc blocks not yet freed
  std::set<const void*> bstrs;        // BSTRs not yet freed
  std::set<const void*> heap_blocks;  // FormatMessageW buffers not yet freed
  std::vector<std::string> faults;    // frees of unknown blocks, double frees, ...
  // What each MFTEnumEx call asked for: "<category> <output major type> <output subtype>".
  std::vector<std::string> enum_requests;
  // Whether the scripted COM objects write their calls here too; a measurement
  // turns them off so that it counts the probe's work, not the ledger's.
  bool object_calls = true;

  void record(std::string call) { calls.push_back(std::move(call)); }
  void fault(std::string what) { faults.push_back(std::move(what)); }
  bool holds_no_memory() const {
    return task_memory.empty() && bstrs.empty() && heap_blocks.empty();
  }
};

Script& script();
Ledger& ledger();

// Back to the default behaviour and an empty ledger. Releases nothing: the
// caller owns any error-information object it had put on the thread.
void reset();

// SetErrorInfo: the thread's error-information object, taken over by GetErrorInfo.
// The substitute does not add a reference; the next GetErrorInfo hands this one over.
void set_error_info(IErrorInfo* info);

// SysAllocStringLen: a BSTR owned by the caller, freed with SysFreeString.
BSTR alloc_bstr(std::u16string_view text);

// A task-allocator copy of `text` with its terminator, as GetAllocatedString returns it.
LPWSTR alloc_task_string(std::u16string_view text);

// A process-heap copy of `text` with its terminator, as FormatMessageW allocates it.
LPWSTR alloc_heap_string(std::u16string_view text);

}  // namespace velkaron::test_support::substitute
