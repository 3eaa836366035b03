#pragma once

// A scripted machine for the probe's phases: activation objects with names and
// CLSIDs, their transforms, the output type MFCreateMediaType hands out, the
// input types a transform offers, and the system's texts for error codes.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/guid.h"
#include "platform/media_foundation_guids.h"
#include "remote/webrtc/run_probe.h"
#include "report/pretty_json.h"
#include "scripted_platform.h"

namespace velkaron::probe {

using test_support::ScriptedActivate;
using test_support::ScriptedAttributeStore;
using test_support::ScriptedErrorInfo;
using test_support::ScriptedMediaType;
using test_support::ScriptedPlatform;
using test_support::ScriptedTransform;
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

  // An activation object whose friendly name and CLSID read back as given.
  ScriptedActivate& activation(std::string object, std::u16string friendly_name,
                               const GUID& clsid) {
    auto& made = platform_.make<ScriptedActivate>(std::move(object));
    made.set(mf::MFT_FRIENDLY_NAME_Attribute,
             ScriptedActivate::Text{std::move(friendly_name), std::nullopt});
    made.set(mf::MFT_TRANSFORM_CLSID_Attribute, clsid);
    return made;
  }

  // The transform `from` activates to, named after it; without an attribute store.
  ScriptedTransform& transform_of(ScriptedActivate& from) {
    auto& made = platform_.make<ScriptedTransform>(from.name() + " transform");
    from.transform = &made;
    return made;
  }

  // The transform's attribute store; MF_TRANSFORM_ASYNC set when given.
  ScriptedAttributeStore& attributes_of(ScriptedTransform& transform,
                                        std::optional<UINT32> asynchronous) {
    auto& made = platform_.make<ScriptedAttributeStore>(transform.name() + " attributes");
    if (asynchronous) made.set(mf::MF_TRANSFORM_ASYNC, *asynchronous);
    transform.attributes = &made;
    return made;
  }

  // MFCreateMediaType hands out this type.
  ScriptedMediaType& created_output_type() {
    auto& made = platform_.make<ScriptedMediaType>("output type");
    platform_.script().create_media_type = [&made](IMFMediaType** type) {
      *type = made.hand_out();
      return S_OK;
    };
    return made;
  }

  // The input types `transform` offers, one per subtype, named "input <index>".
  std::vector<ScriptedMediaType*> offer(ScriptedTransform& transform,
                                        const std::vector<GUID>& subtypes) {
    for (const GUID& subtype : subtypes) {
      auto& made = platform_.make<ScriptedMediaType>("input " +
                                                     std::to_string(transform.input_types.size()));
      made.set(mf::MF_MT_SUBTYPE, subtype);
      transform.input_types.push_back(&made);
    }
    return transform.input_types;
  }

  // An encoder that activates, is synchronous, takes the output type and offers `subtypes`.
  ScriptedTransform& working_encoder(ScriptedActivate& from, const std::vector<GUID>& subtypes) {
    ScriptedTransform& transform = transform_of(from);
    attributes_of(transform, 0);
    offer(transform, subtypes);
    return transform;
  }

  // The message of a failed run, or the report's text.
  static std::string outcome_text(const ProbeOutcome& outcome) {
    return outcome ? report::to_pretty_json(*outcome) : outcome.error();
  }

  // Each name is released after the one before it, and the last before MFShutdown.
  ::testing::AssertionResult released_in_order(const std::vector<std::string>& objects) const {
    std::size_t previous = 0;
    std::string previous_name = "the start";
    for (const std::string& object : objects) {
      const std::size_t released = platform_.position_of("Release " + object);
      if (released == platform_.ledger().calls.size()) {
        return ::testing::AssertionFailure() << object << " was never released";
      }
      if (released < previous) {
        return ::testing::AssertionFailure() << object << " released before " << previous_name;
      }
      previous = released;
      previous_name = object;
    }
    if (platform_.position_of("MFShutdown") < previous) {
      return ::testing::AssertionFailure() << previous_name << " released after MFShutdown";
    }
    return platform_.released_exactly_once_before_shutdown();
  }

  ScriptedPlatform platform_;
  std::map<DWORD, std::u16string> system_texts_;
};

}  // namespace velkaron::probe
