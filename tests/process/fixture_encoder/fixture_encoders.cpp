#include "fixture_encoders.h"

#include <string>
#include <utility>
#include <vector>

namespace velkaron::wine_test {
namespace {

FixtureEncoder fixture(const GUID& clsid, std::u16string name, bool demonstrated = false) {
  return {world::named(std::move(name), clsid), demonstrated};
}

std::vector<FixtureEncoder> make_encoders() {
  FixtureEncoder full = fixture(kFullClsid, u"Fixture H.264 Encoder (async)", true);
  full.async = 1;
  full.offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2, mf::MFVideoFormat_ARGB32,
               mf::MFVideoFormat_RGB32, kFormatI420});

  FixtureEncoder synchronous = fixture(kSyncClsid, u"Fixture H.264 Encoder (sync)", true);
  synchronous.offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_NV12});

  FixtureEncoder no_inputs = fixture(kNoInputsClsid, u"Fixture H.264 Encoder (no input types)");
  no_inputs.async = 0;

  FixtureEncoder unlock_refused =
      fixture(kUnlockRefusedClsid, u"Fixture H.264 Encoder (unlock refused)");
  unlock_refused.async = 1;
  unlock_refused.unlock = world::fails(E_ACCESSDENIED);
  unlock_refused.offers({mf::MFVideoFormat_NV12});

  FixtureEncoder output_refused =
      fixture(kOutputRefusedClsid, u"Fixture H.264 Encoder (output type refused)");
  output_refused.async = 1;
  output_refused.set_output = world::fails(
      MF_E_INVALIDMEDIATYPE, world::described(std::u16string(kOutputRefusedDescription) + u"\r\n"));
  output_refused.offers({mf::MFVideoFormat_NV12});

  FixtureEncoder walk_fails = fixture(kWalkFailsClsid, u"Fixture H.264 Encoder (input types fail)");
  walk_fails.offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2});
  walk_fails.inputs_end = world::fails(E_NOTIMPL);

  FixtureEncoder no_class_object =
      fixture(kNoClassObjectClsid, u"Fixture H.264 Encoder (no class object)");
  no_class_object.activation = world::fails(CLASS_E_CLASSNOTAVAILABLE);

  FixtureEncoder creation_refused =
      fixture(kCreationRefusedClsid, u"Fixture H.264 Encoder (creation refused)");
  creation_refused.activation = world::fails(E_OUTOFMEMORY);

  return {full,           synchronous, no_inputs,       unlock_refused,
          output_refused, walk_fails,  no_class_object, creation_refused};
}

}  // namespace

std::span<const FixtureEncoder> fixture_encoders() {
  static const std::vector<FixtureEncoder> encoders = make_encoders();
  return encoders;
}

const FixtureEncoder* find_fixture_encoder(const GUID& clsid) {
  for (const auto& encoder : fixture_encoders()) {
    if (same_guid(*encoder.clsid, clsid)) return &encoder;
  }
  return nullptr;
}

}  // namespace velkaron::wine_test
