#pragma once

// A scripted machine for the probe's phases: encoder worlds played on the
// scripted platform, and the system's texts for error codes.

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "encoder_world.h"
#include "platform/guid.h"
#include "platform/media_foundation_guids.h"
#include "remote/webrtc/run_probe.h"
#include "report/pretty_json.h"
#include "scripted_world.h"

namespace velkaron::probe {

namespace world = test_support::world;
using test_support::PlayedWorld;
using test_support::ScriptedPlatform;
using Calls = std::vector<std::string>;

inline constexpr GUID kClsidA = {
    0x12345678, 0x9ABC, 0x4DEF, {0x81, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
inline constexpr std::string_view kClsidAText = "12345678-9ABC-4DEF-8123-456789ABCDEF";
inline constexpr GUID kClsidB = {
    0xFEDCBA98, 0x7654, 0x4321, {0x8F, 0xED, 0xCB, 0xA9, 0x87, 0x65, 0x43, 0x21}};
inline constexpr std::string_view kClsidBText = "FEDCBA98-7654-4321-8FED-CBA987654321";
inline constexpr GUID kClsidC = {
    0x0A0B0C0D, 0x1E1F, 0x4A4B, {0x9C, 0x9D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13}};
inline constexpr std::string_view kClsidCText = "0A0B0C0D-1E1F-4A4B-9C9D-0E0F10111213";

inline constexpr HRESULT kDeviceLost = static_cast<HRESULT>(0x887A0005u);

// An encoder that works: it activates, says it is synchronous, takes the output type and offers
// nothing.
inline world::Encoder nvidia() {
  world::Encoder made = world::named(u"NVIDIA H.264 Encoder MFT", kClsidA);
  made.async = 0;
  return made;
}

class ProbeScenario : public ::testing::Test {
 protected:
  ProbeScenario() {
    platform_.script().system_message = [this](DWORD id, bool) -> std::optional<std::u16string> {
      const auto known = system_texts_.find(id);
      if (known == system_texts_.end()) return std::nullopt;
      return known->second;
    };
  }

  // The system's message table has `text` for `code`.
  void system_knows(HRESULT code, std::u16string text) {
    system_texts_[static_cast<DWORD>(code)] = std::move(text);
  }

  // The platform plays `world` from now on; the scenario keeps it while the platform may use it.
  PlayedWorld play(world::World world) {
    return test_support::play(platform_, worlds_.emplace_back(std::move(world)));
  }
  // A machine that works, with these encoders.
  PlayedWorld play(std::vector<world::Encoder> encoders) {
    world::World made;
    made.encoders = std::move(encoders);
    return play(std::move(made));
  }

  // The message of a failed run, or the report's text.
  static std::string outcome_text(const ProbeOutcome& outcome) {
    return outcome ? report::to_pretty_json(*outcome) : outcome.error();
  }

  // Each name is released (for the last time) after the one before it, and everything exactly
  // once before MFShutdown.
  ::testing::AssertionResult released_in_order(const std::vector<std::string>& objects) const {
    std::size_t previous = 0;
    std::string previous_name = "the start";
    for (const std::string& object : objects) {
      const std::size_t released = platform_.last_position_of("Release " + object);
      if (released == platform_.ledger().calls.size()) {
        return ::testing::AssertionFailure() << object << " was never released";
      }
      if (released < previous) {
        return ::testing::AssertionFailure() << object << " released before " << previous_name;
      }
      previous = released;
      previous_name = object;
    }
    return platform_.released_exactly_once_before_shutdown();
  }

  std::deque<world::World> worlds_;  // a deque: what the platform holds into them stays put
  ScriptedPlatform platform_;
  std::map<DWORD, std::u16string> system_texts_;
};

}  // namespace velkaron::probe
