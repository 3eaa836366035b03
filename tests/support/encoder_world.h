#pragma once

// An encoder world as plain data: what start-up, shutdown, enumeration and
// media type creation answer, and for each enumerated encoder what every call
// the probe makes on it answers. The native COM shell (over the declared
// platform subset) and the Windows one (over the SDK) both build their objects
// from it, so a behaviour is written once and read the same way everywhere.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform_api.h"

namespace velkaron::test_support::world {

// Error information that a failing call leaves on the thread.
// An absent text is delivered as a null string.
struct ErrorText {
  std::optional<std::u16string> description;  // IErrorInfo::GetDescription
  // When set, the object also answers IRestrictedErrorInfo, whose
  // GetErrorDetails gives the two texts below.
  bool restricted = false;
  std::optional<std::u16string> details;
  std::optional<std::u16string> restricted_description;
};

// A plain IErrorInfo with this description.
inline ErrorText described(std::u16string description) {
  return {std::move(description), false, {}, {}};
}
// Error information that also answers IRestrictedErrorInfo.
inline ErrorText restricted(std::u16string description, std::u16string details,
                            std::u16string restricted_description) {
  return {std::move(description), true, std::move(details), std::move(restricted_description)};
}

// What one call answers: its status, the error information a failure leaves,
// and, for a call that delivers an object, whether a success delivers none.
// Natively, a success other than S_OK is answered as given too, and an
// attribute read that answers one does so in place of the value.
struct Answer {
  HRESULT status = S_OK;
  std::optional<ErrorText> error;
  bool no_object = false;

  bool failed() const { return status < 0; }
};

inline Answer fails(HRESULT status, std::optional<ErrorText> error = std::nullopt) {
  return {status, std::move(error), false};
}
inline Answer no_object() {
  return {S_OK, std::nullopt, true};
}

// A text attribute, and the length GetAllocatedString reports when it is to differ.
struct Text {
  std::u16string units;
  std::optional<UINT32> reported;
};

struct InputType {
  GUID subtype{};
  Answer subtype_read;  // GetGUID(MF_MT_SUBTYPE)
  Answer offer;  // GetInputAvailableType at this index: a failure or no object instead of the type
};

struct Encoder {
  bool null_entry = false;  // a null slot in the activation array
  std::optional<Text> name;
  Answer name_read;
  std::optional<GUID> clsid;
  Answer clsid_read;
  Answer activation;       // ActivateObject
  Answer shutdown_object;  // ShutdownObject
  Answer attributes;       // the transform's GetAttributes
  std::optional<UINT32> async;
  Answer async_read;
  Answer unlock;      // SetUINT32(MF_TRANSFORM_ASYNC_UNLOCK)
  Answer set_output;  // SetOutputType
  std::vector<InputType> inputs;
  // What the index after the last input type answers.
  Answer inputs_end = fails(MF_E_NO_MORE_TYPES);

  Encoder& offers(std::initializer_list<GUID> subtypes) {
    for (const GUID& subtype : subtypes) inputs.push_back({subtype, {}, {}});
    return *this;
  }
};

struct World {
  Answer startup;
  Answer shutdown;
  Answer enumeration;
  bool count_without_array = false;  // MFTEnumEx: success and a count, but no array
  Answer media_type;                 // MFCreateMediaType
  // The keys whose setter the created output type refuses.
  std::vector<std::pair<GUID, Answer>> output_type_refuses;
  std::vector<Encoder> encoders;
};

// An encoder with a name and a CLSID that activates and offers nothing.
inline Encoder named(std::u16string name, const GUID& clsid) {
  Encoder encoder;
  encoder.name = Text{std::move(name), std::nullopt};
  encoder.clsid = clsid;
  return encoder;
}

inline Encoder null_entry() {
  Encoder encoder;
  encoder.null_entry = true;
  return encoder;
}

}  // namespace velkaron::test_support::world
