#pragma once

// The encoders that the fixture server offers in place of a GPU vendor's
// driver, one CLSID per behaviour. The registration tool registers them under
// their names and CLSIDs, the server creates them, and the end-to-end tests
// select them by CLSID fragment (Wine gives enumerated encoders no friendly name).
//
// Wine's Media Foundation activates an encoder through COM, so its activation
// answer is given where COM asks: CLASS_E_CLASSNOTAVAILABLE by
// DllGetClassObject, any other failure by the class factory's CreateInstance.

#include <windows.h>

#include <span>
#include <string_view>

#include "fixture_clsids.h"
#include "sdk_transform.h"

namespace velkaron::wine_test {

struct FixtureEncoder : world::Encoder {
  bool demonstrated = false;  // registered in the demonstration prefix too
};

// What the encoder that refuses the output type says why, before the line end it adds (which
// the program must not print).
inline constexpr std::u16string_view kOutputRefusedDescription =
    u"The fixture encoder takes no 1080p60 Main profile output.";

// In the order of kFixtureClsids.
std::span<const FixtureEncoder> fixture_encoders();
const FixtureEncoder* find_fixture_encoder(const GUID& clsid);

}  // namespace velkaron::wine_test
