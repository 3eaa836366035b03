#include "remote/webrtc/input_types.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "platform/platform_error.h"
#include "remote/webrtc/failure_message.h"
#include "remote/webrtc/media_foundation_guids.h"

namespace velkaron::probe {
namespace {

using report::JsonArray;
using report::JsonValue;
using report::ReportObject;

constexpr std::string_view kInputTypeFailed = "MFT GetInputAvailableType failed: ";
constexpr std::string_view kSubtypeFailed = "MFT input type GetGUID(MF_MT_SUBTYPE) failed: ";

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

JsonValue entry(std::uint32_t index, const GUID& subtype) {
  ReportObject members;
  members.insert("index", JsonValue::number(index));
  members.insert("subtype", JsonValue::string(platform::guid_text(subtype)));
  members.insert("label", JsonValue::string(subtype_label(subtype)));
  return JsonValue::object(std::move(members));
}

// One entry per input type, in index order. Each type is released before the next is asked for.
std::expected<JsonArray, std::string> read_input_types(IMFTransform& transform) {
  JsonArray entries;
  for (std::uint32_t index = 0;; ++index) {
    platform::com_ptr<IMFMediaType> delivered;
    const HRESULT status = transform.GetInputAvailableType(0, index, delivered.put());
    const auto type = platform::check_object(status, std::move(delivered));
    if (!type) {
      if (type.error().code() == MF_E_NO_MORE_TYPES) break;
      return std::unexpected(failure_message(kInputTypeFailed, type.error()));
    }
    GUID subtype{};
    if (auto read = platform::check_status((*type)->GetGUID(mf::MF_MT_SUBTYPE, &subtype)); !read) {
      return std::unexpected(failure_message(kSubtypeFailed, read.error()));
    }
    entries.push_back(entry(index, subtype));
    // There is no index past the last one: the walk ends rather than wrap to 0 or repeat.
    if (index == std::numeric_limits<std::uint32_t>::max()) break;
  }
  return entries;
}

}  // namespace

std::string_view subtype_label(const GUID& subtype) {
  for (const SubtypeLabel& known : kSubtypeLabels) {
    if (platform::same_guid(known.subtype, subtype)) return known.label;
  }
  return kUnknownLabel;
}

ProbeOutcome report_input_types(ConfiguredEncoder configured,
                                std::optional<std::string_view> selector) {
  auto entries = read_input_types(*configured.encoder.transform.get());
  if (!entries) return std::unexpected(std::move(entries.error()));

  const ActivatedEncoder& encoder = configured.encoder;
  ReportObject report;
  report.insert("ok", JsonValue::boolean(true));
  report.insert("mftFriendlyName", JsonValue::string(encoder.friendly_name));
  report.insert("mftClsid", JsonValue::string(encoder.clsid_text));
  report.insert("mftSelector", JsonValue::optional_text(selector));
  report.insert("entries", JsonValue::array(std::move(*entries)));
  return JsonValue::object(std::move(report));
}

}  // namespace velkaron::probe
