#pragma once

// The encoders that the fixture server offers in place of a GPU vendor's
// driver, one CLSID per behaviour. The registration tool registers them, the
// server creates them, and the end-to-end tests select them by CLSID fragment
// (Wine gives enumerated encoders no friendly name).

#include <windows.h>

#include <span>

#include "sdk_transform.h"

namespace velkaron::wine_test {

enum class FactoryBehaviour {
  Works,
  NoClassObject,  // DllGetClassObject refuses the CLSID
  CreateFails,    // the class factory refuses to create the transform
};

struct FixtureEncoder {
  GUID clsid;
  const wchar_t* name;
  bool demonstrated;  // registered in the demonstration prefix too
  FactoryBehaviour factory;
  world::Encoder transform;
};

std::span<const FixtureEncoder> fixture_encoders();
const FixtureEncoder* find_fixture_encoder(const GUID& clsid);

}  // namespace velkaron::wine_test
