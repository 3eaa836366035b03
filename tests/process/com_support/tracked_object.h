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
  void record_call(std::string_view call, HRESULT status) const {
    record_line(this->name() + " " + std::string(call) + " -> " + hresult_text(status));
  }
};

}  // namespace velkaron::wine_test
