#pragma once

// The second phase: the candidates in vendor order (without a selector), the
// first one that activates as a transform, unlocked if it is asynchronous.

#include <expected>
#include <string>

#include "platform/com_ptr.h"
#include "platform/platform_api.h"
#include "remote/webrtc/encoder_enumeration.h"

namespace velkaron::probe {

// The chosen encoder, handed to the output type and the report.
struct ActivatedEncoder {
  std::string friendly_name;
  std::string clsid_text;
  platform::com_ptr<IMFTransform> transform;
};

// Orders the candidates, activates them in turn until one succeeds and
// unlocks that one. Every activation object is released once its attempt is
// over; after a success the untried ones are released at once. The error is
// the run's message.
std::expected<ActivatedEncoder, std::string> activate_encoder(EncoderEnumeration enumeration);

}  // namespace velkaron::probe
