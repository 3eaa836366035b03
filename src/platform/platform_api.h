#pragma once

// The one way into COM and Media Foundation. On Windows this is the SDK; on
// other systems it is windows_subset.h, which declares the same names with the
// same meaning, limited to what the probe calls.

#if defined(_WIN32)
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mftransform.h>
#include <oleauto.h>
#include <windows.h>

#include "platform/restricted_error_info.h"
#else
#include "platform/windows_subset.h"
#endif
