#pragma once

// What the Media Foundation stand-in does, read from a scenario file: the
// statuses of MFStartup, MFShutdown, MFTEnumEx and MFCreateMediaType, and the
// encoders that MFTEnumEx hands out, each with its friendly name, CLSID,
// activation and transform behaviour. The file's grammar is described in
// scenario.cpp.

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "attribute_store.h"
#include "scripted_transform.h"

namespace velkaron::wine_test {

struct ScriptedStatus {
  HRESULT status = S_OK;
  std::optional<ErrorInformation> information;
  bool null_object = false;  // success without an object, where an object is due

  ScriptedFailure failure() const { return {status, information}; }
};

struct EncoderScript {
  bool null_entry = false;  // a null slot in the activation array
  std::optional<WideValue> friendly_name;
  std::optional<ScriptedFailure> name_failure;
  std::optional<GUID> clsid;
  std::optional<ScriptedFailure> clsid_failure;
  ScriptedStatus activation;
  std::optional<ScriptedFailure> shutdown_failure;  // ShutdownObject
  TransformScript transform;
};

struct Scenario {
  ScriptedStatus startup;
  ScriptedStatus shutdown;
  ScriptedStatus enumeration;
  bool enumeration_without_array = false;  // success, a count, but no array
  ScriptedStatus media_type_creation;
  std::map<GUID, ScriptedFailure, GuidLess> output_type_failures;
  std::vector<EncoderScript> encoders;
};

// The scenario, or the first problem found in it.
struct ScenarioOutcome {
  Scenario scenario;
  std::string problem;
};
ScenarioOutcome read_scenario(const std::wstring& path);

}  // namespace velkaron::wine_test
