#pragma once

// One owner type for each kind of memory the platform allocates for us, named
// after the function that frees it.

#include <utility>

#include "platform/platform_api.h"

namespace velkaron::platform {

template <class Element, void (*Free)(Element*) noexcept>
class unique_platform_block {
 public:
  unique_platform_block() noexcept = default;
  explicit unique_platform_block(Element* adopted) noexcept : pointer_(adopted) {}
  unique_platform_block(unique_platform_block&& other) noexcept
      : pointer_(std::exchange(other.pointer_, nullptr)) {}
  unique_platform_block& operator=(unique_platform_block&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  unique_platform_block(const unique_platform_block&) = delete;
  unique_platform_block& operator=(const unique_platform_block&) = delete;
  ~unique_platform_block() { reset(); }

  Element* get() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  // Frees what is held and offers the empty slot to an out-parameter.
  Element** put() noexcept {
    reset();
    return &pointer_;
  }

  void reset() noexcept {
    if (Element* freed = std::exchange(pointer_, nullptr)) Free(freed);
  }

 private:
  Element* pointer_ = nullptr;
};

namespace detail {
template <class Element>
void co_task_mem_free(Element* block) noexcept {
  ::CoTaskMemFree(block);
}
inline void sys_free_string(WCHAR* text) noexcept {
  ::SysFreeString(text);
}
inline void process_heap_free(WCHAR* text) noexcept {
  ::HeapFree(::GetProcessHeap(), 0, text);
}
}  // namespace detail

// Memory from the COM task allocator: allocated strings, the MFTEnumEx array.
template <class Element>
using unique_cotaskmem = unique_platform_block<Element, detail::co_task_mem_free<Element>>;
using unique_cotaskmem_string = unique_cotaskmem<WCHAR>;

// A BSTR from an error-information object.
using unique_bstr = unique_platform_block<WCHAR, detail::sys_free_string>;

// A FormatMessageW buffer allocated on the process heap.
using unique_process_heap_string = unique_platform_block<WCHAR, detail::process_heap_free>;

}  // namespace velkaron::platform
