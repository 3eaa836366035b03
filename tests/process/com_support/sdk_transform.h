#pragma once

// An encoder transform under the SDK that does what its encoder in the world
// says: the attribute store with or without the asynchronous flag, the unlock,
// the output type and the list of input types, each of which can be scripted
// to fail. Both the encoder fixture (behind Wine's Media Foundation) and the
// Media Foundation stand-in hand these out.

#include <mftransform.h>

#include "attribute_store.h"

namespace velkaron::wine_test {

// What activating the encoder delivers: the scripted failure, or a new transform
// asked for the interface `iid` (the caller's reference). `encoder` must outlive it.
HRESULT activate_sdk_transform(const world::Encoder& encoder, REFIID iid, void** out);

}  // namespace velkaron::wine_test
