#pragma once

// IUnknown for a fixture's COM objects, with the bookkeeping the end-to-end
// tests rely on: every object is in the ledger from birth to its last Release,
// and a call on an object after its last Release is recorded as misuse
// instead of touching freed memory. For that reason an object's memory is
// never returned: fixtures live for one short process.

#include <windows.h>

#include <string>
#include <string_view>

#include "event_record.h"
#include "known_guids.h"
#include "object_ledger.h"

namespace velkaron::wine_test {

template <class Interface>
class TrackedObject : public Interface {
 public:
  explicit TrackedObject(std::string_view kind) : name_(object_born(kind)) {}
  TrackedObject(const TrackedObject&) = delete;
  TrackedObject& operator=(const TrackedObject&) = delete;
  virtual ~TrackedObject() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!alive("QueryInterface")) return E_UNEXPECTED;
    if (!answers(iid)) return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    ++references_;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    if (!alive("AddRef")) return 0;
    return ++references_;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    if (!alive("Release")) return 0;
    const ULONG left = --references_;
    if (left == 0) {
      object_died(name_);
      on_last_release();
    }
    return left;
  }

  const std::string& name() const { return name_; }

 protected:
  // True while the object has references; otherwise records the misuse.
  bool alive(std::string_view method) const {
    if (references_ > 0) return true;
    object_misused(name_, method);
    return false;
  }
  // The interfaces the object answers besides IUnknown.
  virtual bool answers_interface(REFIID iid) const = 0;
  // Drops the references the object holds on others.
  virtual void on_last_release() {}
  void record_call(std::string_view call, HRESULT status) const {
    record_line(name_ + " " + std::string(call) + " -> " + hresult_hex(status));
  }

 private:
  bool answers(REFIID iid) const { return same_guid(iid, kIidUnknown) || answers_interface(iid); }

  std::string name_;
  ULONG references_ = 1;
};

}  // namespace velkaron::wine_test
