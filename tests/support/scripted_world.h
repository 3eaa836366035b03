#pragma once

// The native shell over an encoder world: the scripted objects that play it,
// made in the platform's arena, and the platform's free functions pointed at
// them. Encoder i's objects are "encoder i", "encoder i transform", "encoder i
// attributes" and "encoder i input"; the created type is "output type".
// Natively, error information is left by the calls that fail with it, except a
// subtype read and an input type's offer, which answer their status alone.

#include <vector>

#include "encoder_world.h"
#include "scripted_platform.h"

namespace velkaron::test_support {

struct PlayedWorld {
  std::vector<ScriptedActivate*> activations;  // null for a null entry
};

// The world must outlive the platform's use of it.
PlayedWorld play(ScriptedPlatform& platform, const world::World& world);

}  // namespace velkaron::test_support
