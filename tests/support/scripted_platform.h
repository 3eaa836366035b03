#pragma once

// A test's whole platform: the substitute's script and ledger, and an arena of
// scripted objects that outlives every reference the probe may hold.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "scripted_com.h"

namespace velkaron::test_support {

class ScriptedPlatform {
 public:
  ScriptedPlatform() { substitute::reset(); }
  ScriptedPlatform(const ScriptedPlatform&) = delete;
  ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;
  ~ScriptedPlatform() { substitute::reset(); }

  template <class Object>
  Object& make(std::string name) {
    auto object = std::make_unique<Object>(std::move(name));
    Object& made = *object;
    // Error information may outlive MFShutdown: MFShutdown's own failure carries it.
    constexpr bool error_information =
        std::is_base_of_v<IErrorInfo, Object> || std::is_base_of_v<IRestrictedErrorInfo, Object>;
    objects_.push_back(Owned{std::move(object), [&made] { return made.references(); }, made.name(),
                             !error_information});
    return made;
  }

  substitute::Script& script() const { return substitute::script(); }
  substitute::Ledger& ledger() const { return substitute::ledger(); }

  // MFTEnumEx delivers these activation objects (null entries allowed) in a
  // task-allocator array, as the platform does, answering `status`.
  void enumerate(std::vector<ScriptedActivate*> activates, HRESULT status = S_OK);

  // Objects that still hold references, by name; empty when all were released.
  std::vector<std::string> unreleased() const;

  // The calls in ledger order that start with `prefix`.
  std::vector<std::string> calls_starting(std::string_view prefix) const {
    return calls_starting_any({prefix});
  }

  // The calls in ledger order that start with any of `prefixes`.
  std::vector<std::string> calls_starting_any(
      std::initializer_list<std::string_view> prefixes) const;

  // Index of the first ledger entry equal to `call`, or the ledger's size.
  std::size_t position_of(std::string_view call) const;

  // Index of the last ledger entry equal to `call`, or the ledger's size.
  std::size_t last_position_of(std::string_view call) const;

  // Whether the ledger holds these entries in this order, each looked for after
  // the one before: {last use of a transform, "ShutdownObject a", "Release a",
  // "MFShutdown"} says that the activation was shut down after that use, before
  // its final release, and before Media Foundation was.
  testing::AssertionResult in_ledger_order(std::initializer_list<std::string_view> calls) const;

  // Whether each object was released exactly once (no leaks, no faults) and
  // every Media Foundation object was released before MFShutdown.
  testing::AssertionResult released_exactly_once_before_shutdown() const;

 private:
  struct Owned {
    std::shared_ptr<void> object;
    std::function<ULONG()> references;
    std::string name;
    bool media_foundation;
  };
  std::vector<Owned> objects_;
};

}  // namespace velkaron::test_support
