#pragma once

// The fixtures' COM objects, with the bookkeeping the end-to-end tests rely
// on: every object is in the ledger from birth to its last Release, and a call
// on an object after its last Release is recorded as misuse instead of
// touching freed memory. For that reason an object's memory is never returned:
// fixtures live for one short process.

#include <windows.h>

#include <string>
#include <string_view>

#include "counted_object.h"
#include "event_record.h"
#include "known_guids.h"
#include "object_ledger.h"

// A method of the SDK interface that the probe never calls: one line per
// method, recorded and answered with E_NOTIMPL. The parameters are types only;
// the trailing static_assert lets each use end in a semicolon like a declaration.
#define VELKARON_NOT_CALLED(method, ...)                   \
  HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) override { \
    return this->not_called(#method);                      \
  }                                                        \
  static_assert(true)

namespace velkaron::wine_test {

struct FixtureLedger {
  static void referenced(const std::string&) {}
  static void released(const std::string& name, ULONG left) {
    if (left == 0) object_died(name);
  }
  static void misused(const std::string& name, std::string_view method) {
    object_misused(name, method);
  }
};

// Born with one reference, the creator's.
template <class... Interfaces>
class TrackedObject : public test_support::CountedObject<FixtureLedger, Interfaces...> {
 public:
  explicit TrackedObject(std::string_view kind)
      : test_support::CountedObject<FixtureLedger, Interfaces...>(object_born(kind), 1) {}

 protected:
  // "<object> <call> -> <status>" in the record; returns the status.
  HRESULT recorded(std::string_view call, HRESULT status) const {
    return record_result(this->name() + " " + std::string(call), status);
  }
  HRESULT not_called(const char* method) const {
    if (!this->alive(method)) return E_UNEXPECTED;
    return recorded(method, E_NOTIMPL);
  }
};

}  // namespace velkaron::wine_test
