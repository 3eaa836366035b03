#pragma once

// The third phase: the fixed H.264 output type on output stream 0.

#include <expected>
#include <string>

#include "platform/com_ptr.h"
#include "platform/platform_api.h"
#include "remote/webrtc/encoder_activation.h"

namespace velkaron::probe {

// The activated encoder with its output type in force. The type is declared
// after the encoder, so it is released before the encoder's transform.
struct ConfiguredEncoder {
  ActivatedEncoder encoder;
  platform::com_ptr<IMFMediaType> output_type;
};

// Creates the output type, sets kOutputAttributes on it (1920x1080 at 60
// frames per second, 10 Mbit/s, progressive, Main profile) and applies it with
// SetOutputType. The error is the run's message.
std::expected<ConfiguredEncoder, std::string> set_output_type(ActivatedEncoder encoder);

}  // namespace velkaron::probe
