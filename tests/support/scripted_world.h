#pragma once

// The native shell over an encoder world: the scripted objects that play it,
// made in the platform's arena, and the platform's free functions pointed at
// them. Encoder i's objects are "encoder i", "encoder i transform", "encoder i
// transform attributes" and "encoder i transform input" (the one media type
// every index hands out); the created type is "output type". Error information
// is named after the call that leaves it: "encoder 2 ActivateObject error",
// "encoder 0 transform offer 3 error", "MFTEnumEx error".

#include <vector>

#include "encoder_world.h"
#include "scripted_platform.h"

namespace velkaron::test_support {

struct PlayedWorld {
  std::vector<ScriptedActivate*> activations;  // null for a null entry
  ScriptedMediaType* output_type = nullptr;    // what MFCreateMediaType hands out, if anything
};

// The world must outlive the platform's use of it.
PlayedWorld play(ScriptedPlatform& platform, const world::World& world);

}  // namespace velkaron::test_support
