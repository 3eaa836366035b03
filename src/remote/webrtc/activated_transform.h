#pragma once

// A transform together with the activation object that made it.

#include <utility>

#include "platform/com_ptr.h"
#include "platform/platform_api.h"

namespace velkaron::probe {

// The one owner of an activation object from the moment ActivateObject is called
// on it, and of the transform that call delivered, if any. Whoever calls
// ActivateObject must call ShutdownObject when done with what it made: hardware
// encoders are asynchronous transforms with threads of their own, which the
// activation object ends only then. So the end is, in this order:
// ShutdownObject (its status ignored), the transform's release, the activation
// object's release. The caller makes its last call on the transform before.
class ActivatedTransform {
 public:
  explicit ActivatedTransform(platform::com_ptr<IMFActivate> activation) noexcept
      : activation_(std::move(activation)) {}
  ActivatedTransform(ActivatedTransform&& other) noexcept = default;
  ActivatedTransform& operator=(ActivatedTransform&&) = delete;
  ActivatedTransform(const ActivatedTransform&) = delete;
  ActivatedTransform& operator=(const ActivatedTransform&) = delete;
  ~ActivatedTransform();

  IMFActivate& activation() const noexcept { return *activation_; }
  // Keeps the transform the activation object delivered.
  void keep(platform::com_ptr<IMFTransform> transform) noexcept {
    transform_ = std::move(transform);
  }

  IMFTransform* operator->() const noexcept { return transform_.get(); }
  IMFTransform& operator*() const noexcept { return *transform_; }

 private:
  platform::com_ptr<IMFActivate> activation_;
  platform::com_ptr<IMFTransform> transform_;
};

}  // namespace velkaron::probe
