#include "remote/webrtc/activated_transform.h"

#include "platform/platform_error.h"

namespace velkaron::probe {

ActivatedTransform::~ActivatedTransform() {
  if (!activation_) return;  // moved from
  // Dropping the result releases any error information a failure left, so that
  // no later call's failure is described with it.
  (void)platform::check_status(activation_->ShutdownObject());
  transform_.reset();
  activation_.reset();
}

}  // namespace velkaron::probe
