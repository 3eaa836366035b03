#pragma once

// The Media Foundation functions the program binds by name at run time, one
// X(name) entry each. This list is the one place those names are written: the
// binding reads it, and so does the exe check that the end-to-end tests'
// mfplat.dll exports every one of them.
#define VELKARON_MEDIA_FOUNDATION_FUNCTIONS(X) \
  X(MFStartup)                                 \
  X(MFShutdown)                                \
  X(MFTEnumEx)                                 \
  X(MFCreateMediaType)
