#include "remote/webrtc/encoder_activation.h"

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>

#include "platform/media_foundation_guids.h"
#include "platform/platform_error.h"
#include "remote/webrtc/encoder_listing.h"
#include "remote/webrtc/encoder_vendor.h"
#include "remote/webrtc/failure_message.h"

namespace velkaron::probe {
namespace {

constexpr std::string_view kActivationFailed =
    "IMFActivate::ActivateObject<IMFTransform> failed for enumerated hardware encoders: ";
constexpr std::string_view kUnlockFailed = "Failed to unlock async H.264 MFT: ";
constexpr std::string_view kNoAttempts = "no activation attempts were made";

// One attempt. A failure gives the candidate's failure entry; the activation
// object is shut down and released after it, once the error is dropped, so the
// error information taken is the activation's own.
std::expected<ActivatedTransform, std::string> attempt_activation(EncoderCandidate& candidate) {
  ActivatedTransform attempt(std::move(candidate.activation));
  platform::com_ptr<IMFTransform> delivered;
  const HRESULT status =
      attempt.activation().ActivateObject(mf::IID_IMFTransform, delivered.put_void());
  auto transform = platform::check_object(status, std::move(delivered));
  if (!transform) {
    return std::unexpected(encoder_label(candidate.friendly_name, candidate.clsid_text) + ": " +
                           transform.error().display_text());
  }
  attempt.keep(std::move(*transform));
  return attempt;
}

// Without a selector: by vendor rank, ties in enumeration order. With one: enumeration order stays.
void order_candidates(std::vector<EncoderCandidate>& candidates, bool vendor_order) {
  if (!vendor_order) return;
  // Sorted on (vendor rank, enumeration position), which keeps ties in enumeration order: a stable
  // sort would do the same, but libstdc++'s asks for a temporary buffer through a deprecated call.
  std::vector<std::pair<unsigned, std::size_t>> keys;
  keys.reserve(candidates.size());
  for (std::size_t position = 0; position != candidates.size(); ++position) {
    keys.emplace_back(vendor_rank(classify_vendor(candidates[position].friendly_name)), position);
  }
  std::ranges::sort(keys);
  std::vector<EncoderCandidate> ordered;
  ordered.reserve(candidates.size());
  for (const auto& key : keys) ordered.push_back(std::move(candidates[key.second]));
  candidates = std::move(ordered);
}

// Activates the candidates in list order until one succeeds; the error lists
// every failed attempt and every enumerated encoder.
std::expected<ActivatedEncoder, std::string> activate_first(EncoderEnumeration enumeration) {
  std::vector<std::string> failures;
  auto& candidates = enumeration.candidates;
  for (auto tried = candidates.begin(); tried != candidates.end(); ++tried) {
    auto transform = attempt_activation(*tried);
    if (!transform) {
      failures.push_back(std::move(transform.error()));
      continue;
    }
    // The choice is final: the candidates not yet tried are discarded at once.
    for (auto untried = std::next(tried); untried != candidates.end(); ++untried) {
      untried->activation.reset();
    }
    return ActivatedEncoder{std::move(tried->friendly_name), std::move(tried->clsid_text),
                            std::move(*transform)};
  }
  std::string message(kActivationFailed);
  message += join_labels(failures, kNoAttempts);
  message += available_encoders_tail(enumeration.available_encoders);
  return std::unexpected(std::move(message));
}

// Sets MF_TRANSFORM_ASYNC_UNLOCK when the transform says it is asynchronous.
// Only a failure of that setter is the run's message; a transform whose
// attributes or asynchronous flag cannot be read is taken as it is.
std::expected<void, std::string> unlock_async(IMFTransform& transform) {
  platform::com_ptr<IMFAttributes> delivered;
  const HRESULT status = transform.GetAttributes(delivered.put());
  const auto attributes = platform::check_object(status, std::move(delivered));
  if (!attributes) return {};

  UINT32 asynchronous = 0;
  if (!platform::check_status((*attributes)->GetUINT32(mf::MF_TRANSFORM_ASYNC, &asynchronous)) ||
      asynchronous == 0) {
    return {};
  }
  if (auto unlocked =
          platform::check_status((*attributes)->SetUINT32(mf::MF_TRANSFORM_ASYNC_UNLOCK, 1));
      !unlocked) {
    return std::unexpected(failure_message(kUnlockFailed, unlocked.error()));
  }
  return {};
}

}  // namespace

std::expected<ActivatedEncoder, std::string> activate_encoder(EncoderEnumeration enumeration) {
  order_candidates(enumeration.candidates, enumeration.vendor_order);
  auto encoder = activate_first(std::move(enumeration));
  if (!encoder) return encoder;
  if (auto unlocked = unlock_async(*encoder->transform); !unlocked) {
    return std::unexpected(std::move(unlocked.error()));
  }
  return encoder;
}

}  // namespace velkaron::probe
