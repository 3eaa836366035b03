#include "remote/webrtc/subtype_label.h"

#include "platform/media_foundation_guids.h"

namespace velkaron::probe {
namespace {

struct SubtypeLabel {
  const GUID& subtype;
  std::string_view label;
};

// The first match decides.
constexpr SubtypeLabel kSubtypeLabels[] = {
    {mf::MFVideoFormat_H264, "H264"},   {mf::MFVideoFormat_NV12, "NV12"},
    {mf::MFVideoFormat_RGB32, "RGB32"}, {mf::MFVideoFormat_ARGB32, "ARGB32"},
    {mf::MFVideoFormat_YUY2, "YUY2"},
};
constexpr std::string_view kUnknownLabel = "unknown";

}  // namespace

std::string_view subtype_label(const GUID& subtype) {
  for (const SubtypeLabel& known : kSubtypeLabels) {
    if (platform::same_guid(known.subtype, subtype)) return known.label;
  }
  return kUnknownLabel;
}

}  // namespace velkaron::probe
