#pragma once

// A failed platform status with the thread's error information, and the one
// place where such a failure becomes text.

#include <expected>
#include <string>

#include "platform/com_ptr.h"
#include "platform/platform_api.h"

namespace velkaron::platform {

class PlatformError {
 public:
  PlatformError(PlatformError&&) noexcept = default;
  PlatformError& operator=(PlatformError&&) noexcept = default;
  PlatformError(const PlatformError&) = delete;
  PlatformError& operator=(const PlatformError&) = delete;
  ~PlatformError() = default;

  // The failed status; 0 for the null-object error.
  HRESULT code() const noexcept { return code_; }
  bool has_info() const noexcept { return static_cast<bool>(info_); }

  // The restricted description, the description or the system's text; maybe empty.
  std::string message() const;
  // The message followed by " (0x........)", or the hexadecimal code alone.
  std::string display_text() const;

 private:
  friend PlatformError from_status(HRESULT status);
  friend PlatformError null_object_error() noexcept;
  PlatformError(HRESULT code, com_ptr<IErrorInfo> info) noexcept
      : code_(code), info_(std::move(info)) {}

  HRESULT code_;
  com_ptr<IErrorInfo> info_;
};

// A negative status, with the error information the thread holds (taken from it).
PlatformError from_status(HRESULT status);

// A call reported success but delivered no object: code 0, no error information.
PlatformError null_object_error() noexcept;

// Any status >= 0 is success and leaves the thread's error information alone.
std::expected<void, PlatformError> check_status(HRESULT status);

// For calls that deliver an object: the status first, then the object itself.
template <class Interface>
std::expected<com_ptr<Interface>, PlatformError> check_object(HRESULT status,
                                                              com_ptr<Interface> object) {
  if (status < 0) return std::unexpected(from_status(status));
  if (!object) return std::unexpected(null_object_error());
  return object;
}

// "0x" and eight uppercase hexadecimal digits of the status's 32-bit pattern.
std::string hresult_text(HRESULT code);

// The system message table's text for a status, trimmed; empty when there is none.
std::string system_message(HRESULT code);

}  // namespace velkaron::platform
