#pragma once

// An encoder transform that does what its script says: the attribute store
// with or without the asynchronous flag, the unlock, the output type and the
// list of input types, each of which can be scripted to fail. Both the encoder
// fixture (behind Wine's Media Foundation) and the Media Foundation stand-in
// hand these out.

#include <mftransform.h>

#include <optional>
#include <vector>

#include "attribute_store.h"

namespace velkaron::wine_test {

struct InputTypeScript {
  GUID subtype{};
  std::optional<ScriptedFailure> subtype_failure;
};

struct TransformScript {
  std::optional<ScriptedFailure> attributes_failure;
  bool attributes_null = false;      // GetAttributes succeeds without an object
  std::optional<UINT32> async_flag;  // MF_TRANSFORM_ASYNC, absent when not set
  std::optional<ScriptedFailure> async_read_failure;
  std::optional<ScriptedFailure> unlock_failure;
  std::optional<ScriptedFailure> set_output_failure;
  std::vector<InputTypeScript> inputs;
  // What the index after the last input type gives instead of MF_E_NO_MORE_TYPES.
  std::optional<ScriptedFailure> end_failure;
  bool end_null = false;  // success without an object
};

// A new transform with one reference, owned by the caller.
IMFTransform* make_scripted_transform(const TransformScript& script);

}  // namespace velkaron::wine_test
