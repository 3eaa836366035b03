#pragma once

// A scripted answer under the SDK: a failure can leave an IErrorInfo on the
// thread first, the way a real component does, optionally one that also
// answers IRestrictedErrorInfo.

#include <windows.h>

#include "encoder_world.h"

namespace velkaron::wine_test {

namespace world = test_support::world;

// The answer's status. A failure leaves a new error-information object on the
// thread (SetErrorInfo) when it has error information, else clears the slot.
HRESULT answer(const world::Answer& scripted);

}  // namespace velkaron::wine_test
