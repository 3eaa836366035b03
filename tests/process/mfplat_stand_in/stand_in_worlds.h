#pragma once

// The worlds the Media Foundation stand-in can play, by name: what start-up,
// shutdown, enumeration and media type creation answer, and the encoders that
// MFTEnumEx hands out.

#include <string_view>

#include "encoder_world.h"

namespace velkaron::wine_test {

// The world of that name, or null.
const test_support::world::World* find_stand_in_world(std::wstring_view name);

}  // namespace velkaron::wine_test
