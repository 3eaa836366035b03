#pragma once

// The fixture encoders registered machine-wide, the way a GPU driver's installer registers its
// hardware encoder: the CLSID's in-process server under HKLM\Software\Classes\CLSID, and the
// transform in the video encoder category as a hardware, asynchronous encoder with H.264 output.
// On Windows that takes administrator rights. The owner undoes exactly what it did, in reverse.

#include <windows.h>

#include <expected>
#include <string>
#include <vector>

namespace velkaron::wine_test {

struct RegistrationFailure {
  std::string what;            // the step that failed, and its status
  bool access_denied = false;  // the step needs rights this process lacks
};

class FixtureRegistration {
 public:
  // Registers the fixture encoders (or only those meant for a demonstration) with `server_path`
  // as their in-process server. A failure leaves nothing registered.
  static std::expected<FixtureRegistration, RegistrationFailure> register_encoders(
      const std::wstring& server_path, bool demonstrated_only = false);

  FixtureRegistration(FixtureRegistration&& other) noexcept;
  FixtureRegistration& operator=(FixtureRegistration&&) = delete;
  FixtureRegistration(const FixtureRegistration&) = delete;
  FixtureRegistration& operator=(const FixtureRegistration&) = delete;
  // Unregisters the transforms and deletes the server keys it created.
  ~FixtureRegistration();

  // Leaves everything registered: for the tool that prepares a prefix.
  void keep() noexcept;
  std::size_t size() const noexcept { return transforms_.size(); }

 private:
  FixtureRegistration() = default;

  std::vector<GUID> servers_;     // CLSID keys created
  std::vector<GUID> transforms_;  // registered with Media Foundation
};

// What is left of any fixture encoder in this machine's registry, one line each: its CLSID key
// or its Media Foundation registration. Empty when nothing is.
std::vector<std::string> fixture_registration_traces();

}  // namespace velkaron::wine_test
