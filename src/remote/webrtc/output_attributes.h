#pragma once

// The attributes of the fixed H.264 output type, in the order they are set.
// The tests read this table too, so that an added attribute is written here
// once and its expected value once in the tests.

#include <variant>

#include "platform/media_foundation_guids.h"
#include "platform/platform_api.h"

namespace velkaron::probe {

// Two 32-bit halves of a size or ratio attribute: the first in the upper half.
constexpr UINT64 pack_halves(UINT32 upper, UINT32 lower) noexcept {
  return (UINT64{upper} << 32) | lower;
}

// One attribute of the output type; the value's type chooses the setter.
struct OutputAttribute {
  const GUID& key;
  std::variant<GUID, UINT64, UINT32> value;
};

inline constexpr UINT32 kInterlaceProgressive = 2;  // MFVideoInterlace_Progressive
inline constexpr UINT32 kH264ProfileMain = 77;      // eAVEncH264VProfile_Main

// Set in this order; the first failure stops the rest.
inline constexpr OutputAttribute kOutputAttributes[] = {
    {mf::MF_MT_MAJOR_TYPE, mf::MFMediaType_Video},      // video
    {mf::MF_MT_SUBTYPE, mf::MFVideoFormat_H264},        // H.264
    {mf::MF_MT_FRAME_SIZE, pack_halves(1920, 1080)},    // width, height
    {mf::MF_MT_FRAME_RATE, pack_halves(60, 1)},         // frames per second, as a ratio
    {mf::MF_MT_AVG_BITRATE, UINT32{10'000'000}},        // bits per second
    {mf::MF_MT_INTERLACE_MODE, kInterlaceProgressive},  // progressive
    {mf::MF_MT_MPEG2_PROFILE, kH264ProfileMain},        // Main profile
};

}  // namespace velkaron::probe
