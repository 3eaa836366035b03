#include "fixture_encoders.h"

#include <vector>

namespace velkaron::wine_test {
namespace {

constexpr HRESULT kInvalidMediaType = static_cast<HRESULT>(0xC00D36B4);

constexpr GUID fixture_clsid(unsigned long first, unsigned char last) {
  return {first, 0xF00D, 0x4A00, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, last}};
}

std::vector<InputTypeScript> input_types(std::initializer_list<GUID> subtypes) {
  std::vector<InputTypeScript> inputs;
  for (const auto& subtype : subtypes) inputs.push_back({subtype, std::nullopt});
  return inputs;
}

std::vector<FixtureEncoder> make_encoders() {
  std::vector<FixtureEncoder> encoders;

  FixtureEncoder full{fixture_clsid(0x7E570001, 0x01),
                      L"Fixture H.264 Encoder (async)",
                      true,
                      FactoryBehaviour::Works,
                      {}};
  full.transform.async_flag = 1;
  full.transform.inputs =
      input_types({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2, mf::MFVideoFormat_ARGB32,
                   mf::MFVideoFormat_RGB32, kFormatI420});
  encoders.push_back(full);

  FixtureEncoder synchronous{fixture_clsid(0x7E570002, 0x02),
                             L"Fixture H.264 Encoder (sync)",
                             true,
                             FactoryBehaviour::Works,
                             {}};
  synchronous.transform.inputs = input_types({mf::MFVideoFormat_NV12, mf::MFVideoFormat_NV12});
  encoders.push_back(synchronous);

  FixtureEncoder no_inputs{fixture_clsid(0x7E570003, 0x03),
                           L"Fixture H.264 Encoder (no input types)",
                           false,
                           FactoryBehaviour::Works,
                           {}};
  no_inputs.transform.async_flag = 0;
  encoders.push_back(no_inputs);

  FixtureEncoder unlock_refused{fixture_clsid(0x7E57BAD1, 0x04),
                                L"Fixture H.264 Encoder (unlock refused)",
                                false,
                                FactoryBehaviour::Works,
                                {}};
  unlock_refused.transform.async_flag = 1;
  unlock_refused.transform.unlock_failure = ScriptedFailure{E_ACCESSDENIED, std::nullopt};
  unlock_refused.transform.inputs = input_types({mf::MFVideoFormat_NV12});
  encoders.push_back(unlock_refused);

  FixtureEncoder output_refused{fixture_clsid(0x7E57BAD2, 0x05),
                                L"Fixture H.264 Encoder (output type refused)",
                                false,
                                FactoryBehaviour::Works,
                                {}};
  output_refused.transform.async_flag = 1;
  output_refused.transform.set_output_failure = ScriptedFailure{
      kInvalidMediaType,
      ErrorInformation{L"The fixture encoder takes no 1080p60 Main profile output.\r\n", false, L"",
                       L""}};
  output_refused.transform.inputs = input_types({mf::MFVideoFormat_NV12});
  encoders.push_back(output_refused);

  FixtureEncoder walk_fails{fixture_clsid(0x7E57BAD3, 0x06),
                            L"Fixture H.264 Encoder (input types fail)",
                            false,
                            FactoryBehaviour::Works,
                            {}};
  walk_fails.transform.inputs = input_types({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2});
  walk_fails.transform.end_failure = ScriptedFailure{E_NOTIMPL, std::nullopt};
  encoders.push_back(walk_fails);

  encoders.push_back({fixture_clsid(0x7E57FA11, 0x07),
                      L"Fixture H.264 Encoder (no class object)",
                      false,
                      FactoryBehaviour::NoClassObject,
                      {}});
  encoders.push_back({fixture_clsid(0x7E57FA11, 0x08),
                      L"Fixture H.264 Encoder (creation refused)",
                      false,
                      FactoryBehaviour::CreateFails,
                      {}});
  return encoders;
}

}  // namespace

std::span<const FixtureEncoder> fixture_encoders() {
  static const std::vector<FixtureEncoder> encoders = make_encoders();
  return encoders;
}

const FixtureEncoder* find_fixture_encoder(const GUID& clsid) {
  for (const auto& encoder : fixture_encoders()) {
    if (same_guid(encoder.clsid, clsid)) return &encoder;
  }
  return nullptr;
}

}  // namespace velkaron::wine_test
