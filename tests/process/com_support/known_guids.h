#pragma once

// The identifiers that the fixtures meet, named in the records they write.
// Media Foundation's are the probe's own constants and the interface IDs those
// that the test objects answer to; only what the probe has no use for is
// defined here.

#include <windows.h>

#include <string>

#include "counted_object.h"
#include "platform/guid.h"
#include "platform/media_foundation_guids.h"
#include "platform/platform_error.h"

namespace velkaron::test_support {

inline constexpr GUID kIidClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace velkaron::test_support

namespace velkaron::wine_test {

namespace mf = probe::mf;
using platform::hresult_text;
using platform::same_guid;

// A planar 4:2:0 format that the probe's label table does not know.
inline constexpr GUID kFormatI420 = {
    0x30323449, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// Orders GUIDs for use as map keys.
struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const;
};

// The name of a GUID known here, or its braced text.
std::string guid_name(const GUID& guid);

}  // namespace velkaron::wine_test
