#pragma once

// The second phase: the candidates in vendor order (without a selector), the
// first one that activates as a transform, unlocked if it is asynchronous.

#include <expected>
#include <optional>
#include <string>
#include <vector>

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

// Without a selector: a stable sort by vendor rank. With one: enumeration order stays.
void order_candidates(std::vector<EncoderCandidate>& candidates,
                      const std::optional<std::string>& selector);

// Activates the candidates in list order until one succeeds. Every activation
// object is released once its attempt is over; after a success the untried
// ones are released at once. The error is the run's summary message.
std::expected<ActivatedEncoder, std::string> activate_first(EncoderEnumeration enumeration);

// Sets MF_TRANSFORM_ASYNC_UNLOCK when the transform says it is asynchronous.
// Only a failure of that setter is the run's message; a transform whose
// attributes or asynchronous flag cannot be read is taken as it is.
std::expected<void, std::string> unlock_async(IMFTransform& transform);

// The whole phase: order, activate, unlock.
std::expected<ActivatedEncoder, std::string> activate_encoder(EncoderEnumeration enumeration);

}  // namespace velkaron::probe
