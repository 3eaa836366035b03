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

#include "sdk_transform.h"

namespace velkaron::wine_test {

struct FixtureEncoder : world::Encoder {
  bool demonstrated = false;  // registered in the demonstration prefix too
};

std::span<const FixtureEncoder> fixture_encoders();
const FixtureEncoder* find_fixture_encoder(const GUID& clsid);

}  // namespace velkaron::wine_test
