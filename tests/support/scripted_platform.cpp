#include <gtest/gtest.h>

#include "scripted_platform.h"

namespace velkaron::test_support {

void ScriptedPlatform::enumerate(std::vector<ScriptedActivate*> activates, HRESULT status) {
  script().mft_enum_ex = [activates, status](IMFActivate*** array, UINT32* count) {
    auto* slots =
        static_cast<IMFActivate**>(CoTaskMemAlloc(activates.size() * sizeof(IMFActivate*)));
    for (std::size_t i = 0; i < activates.size(); ++i) {
      slots[i] =
          activates[i] != nullptr ? static_cast<IMFActivate*>(activates[i]->hand_out()) : nullptr;
    }
    *array = slots;
    *count = static_cast<UINT32>(activates.size());
    return status;
  };
}

std::vector<std::string> ScriptedPlatform::unreleased() const {
  std::vector<std::string> names;
  for (const Owned& owned : objects_) {
    if (owned.references() != 0) names.push_back(owned.name);
  }
  return names;
}

std::vector<std::string> ScriptedPlatform::calls_starting_any(
    std::initializer_list<std::string_view> prefixes) const {
  std::vector<std::string> calls;
  for (const std::string& call : substitute::ledger().calls) {
    if (std::ranges::any_of(prefixes,
                            [&](std::string_view prefix) { return call.starts_with(prefix); })) {
      calls.push_back(call);
    }
  }
  return calls;
}

std::size_t ScriptedPlatform::last_position_of(std::string_view call) const {
  const auto& calls = substitute::ledger().calls;
  const auto found = std::find(calls.rbegin(), calls.rend(), call);
  return found == calls.rend() ? calls.size() : static_cast<std::size_t>(calls.rend() - found - 1);
}

std::size_t ScriptedPlatform::position_of(std::string_view call) const {
  const auto& calls = substitute::ledger().calls;
  return static_cast<std::size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
}

testing::AssertionResult ScriptedPlatform::in_ledger_order(
    std::initializer_list<std::string_view> calls) const {
  const auto& ledger = substitute::ledger().calls;
  auto from = ledger.begin();
  for (std::string_view call : calls) {
    from = std::find(from, ledger.end(), call);
    if (from == ledger.end()) return testing::AssertionFailure() << "no " << call << " in order";
    ++from;
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult ScriptedPlatform::released_exactly_once_before_shutdown() const {
  const substitute::Ledger& ledger = substitute::ledger();
  if (!ledger.faults.empty()) {
    return testing::AssertionFailure() << "platform fault: " << ledger.faults.front();
  }
  if (const auto names = unreleased(); !names.empty()) {
    return testing::AssertionFailure() << names.front() << " still holds a reference";
  }
  if (!ledger.holds_no_memory()) {
    return testing::AssertionFailure() << "platform memory was not freed";
  }
  const std::size_t shutdown = position_of("MFShutdown");
  for (const Owned& owned : objects_) {
    if (!owned.media_foundation) continue;
    const std::string release = "Release " + owned.name;
    for (std::size_t i = shutdown; i < ledger.calls.size(); ++i) {
      if (ledger.calls[i] == release) {
        return testing::AssertionFailure() << release << " after MFShutdown";
      }
    }
  }
  return testing::AssertionSuccess();
}

}  // namespace velkaron::test_support
