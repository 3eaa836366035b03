#include "remote/webrtc/input_types.h"

#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

#include "platform/guid.h"
#include "platform/platform_error.h"
#include "remote/webrtc/failure_message.h"
#include "remote/webrtc/media_foundation_guids.h"
#include "remote/webrtc/subtype_label.h"

namespace velkaron::probe {
namespace {

using report::JsonArray;
using report::JsonValue;
using report::ReportObject;

constexpr std::string_view kInputTypeFailed = "MFT GetInputAvailableType failed: ";
constexpr std::string_view kSubtypeFailed = "MFT input type GetGUID(MF_MT_SUBTYPE) failed: ";

JsonValue entry(std::uint32_t index, const GUID& subtype) {
  ReportObject members;
  members.insert("index", JsonValue::number(index));
  members.insert("subtype", JsonValue::string(platform::guid_text(subtype)));
  members.insert("label", JsonValue::string(subtype_label(subtype)));
  return JsonValue::object(std::move(members));
}

}  // namespace

std::expected<JsonArray, std::string> read_input_types(const ConfiguredEncoder& configured) {
  IMFTransform& transform = *configured.encoder.transform;
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

}  // namespace velkaron::probe
