#include "fixture_encoders.h"

#include <string>
#include <utility>
#include <vector>

namespace velkaron::wine_test {
namespace {

constexpr GUID fixture_clsid(unsigned long first, unsigned char last) {
  return {first, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, last}};
}

FixtureEncoder fixture(unsigned long first, unsigned char last, std::u16string name,
                       bool demonstrated = false) {
  return {world::named(std::move(name), fixture_clsid(first, last)), demonstrated};
}

std::vector<FixtureEncoder> make_encoders() {
  FixtureEncoder full = fixture(0x7E570001, 0x01, u"Fixture H.264 Encoder (async)", true);
  full.async = 1;
  full.offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2, mf::MFVideoFormat_ARGB32,
               mf::MFVideoFormat_RGB32, kFormatI420});

  FixtureEncoder synchronous = fixture(0x7E570002, 0x02, u"Fixture H.264 Encoder (sync)", true);
  synchronous.offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_NV12});

  FixtureEncoder no_inputs = fixture(0x7E570003, 0x03, u"Fixture H.264 Encoder (no input types)");
  no_inputs.async = 0;

  FixtureEncoder unlock_refused =
      fixture(0x7E57BAD1, 0x04, u"Fixture H.264 Encoder (unlock refused)");
  unlock_refused.async = 1;
  unlock_refused.unlock = world::fails(E_ACCESSDENIED);
  unlock_refused.offers({mf::MFVideoFormat_NV12});

  FixtureEncoder output_refused =
      fixture(0x7E57BAD2, 0x05, u"Fixture H.264 Encoder (output type refused)");
  output_refused.async = 1;
  output_refused.set_output = world::fails(
      MF_E_INVALIDMEDIATYPE,
      world::described(u"The fixture encoder takes no 1080p60 Main profile output.\r\n"));
  output_refused.offers({mf::MFVideoFormat_NV12});

  FixtureEncoder walk_fails =
      fixture(0x7E57BAD3, 0x06, u"Fixture H.264 Encoder (input types fail)");
  walk_fails.offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2});
  walk_fails.inputs_end = world::fails(E_NOTIMPL);

  FixtureEncoder no_class_object =
      fixture(0x7E57FA11, 0x07, u"Fixture H.264 Encoder (no class object)");
  no_class_object.activation = world::fails(CLASS_E_CLASSNOTAVAILABLE);

  FixtureEncoder creation_refused =
      fixture(0x7E57FA11, 0x08, u"Fixture H.264 Encoder (creation refused)");
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
