#pragma once

// One owner per kind of memory the platform allocates for us, named after the
// function that frees it.

#include "platform/platform_api.h"
#include "platform/unique_any.h"

namespace velkaron::platform {

// The platform's free functions, wrapped: a function imported from a DLL has
// no address that can be a template argument.
namespace detail {
inline void co_task_mem_free(void* block) noexcept {
  ::CoTaskMemFree(block);
}
inline void sys_free_string(BSTR text) noexcept {
  ::SysFreeString(text);
}
inline void process_heap_free(void* block) noexcept {
  ::HeapFree(::GetProcessHeap(), 0, block);
}
}  // namespace detail

// Memory from the COM task allocator: allocated strings, the MFTEnumEx array.
template <class Element>
using unique_cotaskmem = unique_any<Element*, detail::co_task_mem_free>;
using unique_cotaskmem_string = unique_cotaskmem<WCHAR>;

// A BSTR from an error-information object.
using unique_bstr = unique_any<BSTR, detail::sys_free_string>;

// A FormatMessageW buffer allocated on the process heap.
using unique_process_heap_string = unique_any<WCHAR*, detail::process_heap_free>;

}  // namespace velkaron::platform
