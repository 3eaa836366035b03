#pragma once

// Scripted error information: a fixture that fails a call can leave an
// IErrorInfo on the thread first, the way a real component does, optionally one
// that also answers IRestrictedErrorInfo.

#include <windows.h>

#include <string>

namespace velkaron::wine_test {

struct ErrorInformation {
  // IErrorInfo::GetDescription.
  std::wstring description;
  // When set, the object also answers IRestrictedErrorInfo, whose
  // GetErrorDetails gives the two texts below.
  bool restricted = false;
  std::wstring details_description;
  std::wstring restricted_description;
};

// Leaves a new error-information object on the thread (SetErrorInfo) and
// returns the status; without information the thread's slot is cleared.
HRESULT fail_with(HRESULT status, const ErrorInformation* information);

}  // namespace velkaron::wine_test
