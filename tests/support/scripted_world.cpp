#include "scripted_world.h"

#include <string>

#include "platform/guid.h"
#include "platform/media_foundation_guids.h"

namespace velkaron::test_support {
namespace {

namespace mf = probe::mf;

// Room for every attribute the probe sets, so that setting them allocates nothing.
constexpr std::size_t kAttributeRoom = 8;

class Player {
 public:
  explicit Player(ScriptedPlatform& platform) : platform_(platform) {}

  // The answer of `call`, whose error information, if any, is named after it.
  Status status(const world::Answer& answer, const std::string& call) {
    return {answer.status, error(answer, call)};
  }
  ScriptedErrorInfo* error(const world::Answer& answer, const std::string& call) {
    if (!answer.failed() || !answer.error) return nullptr;
    const world::ErrorText& text = *answer.error;
    auto& info = platform_.make<ScriptedErrorInfo>(call + " error");
    info.description = text.description;
    if (text.restricted) {
      auto& restricted = platform_.make<ScriptedRestrictedErrorInfo>(info.name() + " restricted");
      restricted.description = text.details;
      restricted.restricted_description = text.restricted_description;
      info.restricted = &restricted;
    }
    return &info;
  }

  ScriptedActivate* activation(const world::Encoder& encoder, const std::string& name) {
    if (encoder.null_entry) return nullptr;
    auto& made = platform_.make<ScriptedActivate>(name);
    if (encoder.name) made.set(mf::MFT_FRIENDLY_NAME_Attribute, *encoder.name);
    if (encoder.clsid) made.set(mf::MFT_TRANSFORM_CLSID_Attribute, *encoder.clsid);
    fail(made, mf::MFT_FRIENDLY_NAME_Attribute, encoder.name_read, name + " name");
    fail(made, mf::MFT_TRANSFORM_CLSID_Attribute, encoder.clsid_read, name + " CLSID");
    made.activate_status = status(encoder.activation, name + " ActivateObject");
    made.shutdown_object_status = status(encoder.shutdown_object, name + " ShutdownObject");
    if (!encoder.activation.failed() && !encoder.activation.no_object) {
      made.transform = &transform(encoder, name + " transform");
    }
    return &made;
  }

  ScriptedMediaType& output_type(const world::World& world) {
    auto& made = platform_.make<ScriptedMediaType>("output type");
    made.values.reserve(kAttributeRoom);
    for (const auto& [key, answer] : world.output_type_refuses) {
      fail(made, key, answer, made.name() + " " + platform::guid_text(key));
    }
    return made;
  }

 private:
  ScriptedTransform& transform(const world::Encoder& encoder, const std::string& name) {
    auto& made = platform_.make<ScriptedTransform>(name);
    made.get_attributes_status = status(encoder.attributes, name + " GetAttributes");
    if (!encoder.attributes.failed() && !encoder.attributes.no_object) {
      auto& store = platform_.make<ScriptedAttributeStore>(name + " attributes");
      store.values.reserve(kAttributeRoom);
      if (encoder.async) store.set(mf::MF_TRANSFORM_ASYNC, *encoder.async);
      fail(store, mf::MF_TRANSFORM_ASYNC, encoder.async_read, name + " async");
      fail(store, mf::MF_TRANSFORM_ASYNC_UNLOCK, encoder.unlock, name + " unlock");
      made.attributes = &store;
    }
    made.set_output_type_status = status(encoder.set_output, name + " SetOutputType");
    made.offered = &encoder.inputs;
    made.reused = &platform_.make<ScriptedMediaType>(name + " input");
    made.reused->values.reserve(1);
    for (DWORD index = 0; index < encoder.inputs.size(); ++index) {
      // Appended, never `" " + std::to_string(index)`: GCC 12 at -O3 reports a false -Wrestrict
      // for a literal put in front of a temporary string.
      std::string at(1, ' ');
      at += std::to_string(index);
      const world::InputType& input = encoder.inputs[index];
      if (auto* info = error(input.offer, name + " offer" + at)) made.offer_errors[index] = info;
      if (auto* info = error(input.subtype_read, name + " subtype" + at)) {
        made.subtype_errors[index] = info;
      }
    }
    // Success without an object past the last type: one more index that delivers none.
    made.end_status =
        encoder.inputs_end.no_object ? Status(S_OK) : status(encoder.inputs_end, name + " end");
    return made;
  }

  template <class Store>
  void fail(Store& store, const GUID& key, const world::Answer& answer, const std::string& call) {
    if (answer.status != S_OK) store.fail(key, status(answer, call));
  }

  ScriptedPlatform& platform_;
};

}  // namespace

PlayedWorld play(ScriptedPlatform& platform, const world::World& world) {
  Player player(platform);
  PlayedWorld played;
  for (std::size_t i = 0; i < world.encoders.size(); ++i) {
    played.activations.push_back(
        player.activation(world.encoders[i], "encoder " + std::to_string(i)));
  }
  // The call's answer, error information left on the thread first.
  const auto answering = [&player](const world::Answer& answer, const std::string& call) {
    return [status = player.status(answer, call)](auto...) { return status.raise(); };
  };
  substitute::Script& script = platform.script();
  script.mf_startup = answering(world.startup, "MFStartup");
  script.mf_shutdown = answering(world.shutdown, "MFShutdown");
  if (world.enumeration.failed()) {
    script.mft_enum_ex = answering(world.enumeration, "MFTEnumEx");
  } else if (world.count_without_array) {
    const auto count = static_cast<UINT32>(world.encoders.size());
    script.mft_enum_ex = [count, answer = world.enumeration.status](IMFActivate***, UINT32* out) {
      *out = count;
      return answer;
    };
  } else {
    platform.enumerate(played.activations, world.enumeration.status);
  }
  if (world.media_type.failed()) {
    script.create_media_type = answering(world.media_type, "MFCreateMediaType");
  } else {
    ScriptedMediaType* created = world.media_type.no_object ? nullptr : &player.output_type(world);
    played.output_type = created;
    script.create_media_type = [created, answer = world.media_type.status](IMFMediaType** type) {
      *type = created != nullptr ? created->hand_out() : nullptr;
      return answer;
    };
  }
  return played;
}

}  // namespace velkaron::test_support
