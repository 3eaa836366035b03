#pragma once

// The one owner template for what the platform allocates for us, and one
// alias per kind of memory, named after the function that frees it.

#include <utility>

#include "platform/platform_api.h"

namespace velkaron::platform {

// Owns one platform-allocated pointer and hands it to Free exactly once: when
// the owner is reset, assigned to or destroyed. Moved, never copied.
template <class Pointer, auto Free>
class unique_any {
 public:
  unique_any() noexcept = default;
  explicit unique_any(Pointer adopted) noexcept : pointer_(adopted) {}
  unique_any(unique_any&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  ~unique_any() { reset(); }

  Pointer get() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  // Frees what is held and offers the empty slot to an out-parameter.
  Pointer* put() noexcept {
    reset();
    return &pointer_;
  }

  void reset() noexcept {
    if (Pointer freed = std::exchange(pointer_, nullptr)) Free(freed);
  }

 private:
  Pointer pointer_ = nullptr;
};

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
