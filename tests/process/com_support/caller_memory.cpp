#include "caller_memory.h"

#include <objbase.h>
#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "known_guids.h"
#include "object_ledger.h"

namespace velkaron::wine_test {
namespace {

constexpr GUID kIidMallocSpy = {
    0x0000001D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The kind of the block being allocated on this thread for a caller, if any.
thread_local std::string_view pending_kind;

class CallerMemorySpy final : public IMallocSpy {
 public:
  virtual ~CallerMemorySpy() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (same_guid(iid, test_support::kIidUnknown) || same_guid(iid, kIidMallocSpy)) {
      *out = static_cast<IMallocSpy*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // Lives as long as the process.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T bytes) override { return bytes; }
  void* STDMETHODCALLTYPE PostAlloc(void* block) override {
    if (block == nullptr) return block;
    std::lock_guard lock(mutex_);
    freed_.erase(block);
    if (!pending_kind.empty()) handed_out_[block] = object_born(pending_kind);
    return block;
  }
  void* STDMETHODCALLTYPE PreFree(void* block, BOOL) override {
    std::lock_guard lock(mutex_);
    if (auto found = handed_out_.find(block); found != handed_out_.end()) {
      object_died(found->second);
      freed_[block] = found->second;
      handed_out_.erase(found);
      return block;
    }
    if (auto found = freed_.find(block); found != freed_.end()) {
      object_misused(found->second, "CoTaskMemFree");
      return nullptr;  // the heap never sees the second free
    }
    return block;
  }
  void STDMETHODCALLTYPE PostFree(BOOL) override {}
  SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T bytes, void** new_block, BOOL) override {
    *new_block = block;
    return bytes;
  }
  void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
  void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
  SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T bytes, BOOL) override { return bytes; }
  void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
  int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
  void STDMETHODCALLTYPE PreHeapMinimize() override {}
  void STDMETHODCALLTYPE PostHeapMinimize() override {}

 private:
  std::mutex mutex_;
  std::map<void*, std::string> handed_out_;
  std::map<void*, std::string> freed_;
};

}  // namespace

void* allocate_for_caller(std::size_t bytes, std::string_view kind) {
  pending_kind = kind;
  void* block = CoTaskMemAlloc(bytes);
  pending_kind = {};
  return block;
}

bool watch_caller_memory() {
  // Never destroyed: COM may call it until the process ends.
  static auto* spy = new CallerMemorySpy;
  return SUCCEEDED(CoRegisterMallocSpy(spy));
}

}  // namespace velkaron::wine_test
