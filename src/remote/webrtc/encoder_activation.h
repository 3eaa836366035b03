#pragma once

// The second phase: the candidates in vendor order (without a selector), the
// first one that activates as a transform, unlocked if it is asynchronous.

#include <expected>
#include <string>

#include "remote/webrtc/activated_transform.h"
#include "remote/webrtc/encoder_enumeration.h"

namespace velkaron::probe {

// The chosen encoder, handed to the output type and the report. Its transform
// is shut down and released with it.
struct ActivatedEncoder {
  std::string friendly_name;
  std::string clsid_text;
  ActivatedTransform transform;
};

// Orders the candidates, activates them in turn until one succeeds and
// unlocks that one. A failed attempt's activation object is shut down and
// released once its failure entry is formed; after a success the untried ones
// are released at once. The error is the run's message.
std::expected<ActivatedEncoder, std::string> activate_encoder(EncoderEnumeration enumeration);

}  // namespace velkaron::probe
