#include "report/json_value.h"

#include <algorithm>

namespace velkaron::report {

void ReportObject::insert(std::string key, JsonValue value) {
  // std::string compares as unsigned bytes, so this is the byte-wise order.
  const auto position = std::lower_bound(
      members_.begin(), members_.end(), key,
      [](const ReportMember& member, const std::string& wanted) { return member.key < wanted; });
  if (position != members_.end() && position->key == key) {
    position->value = std::move(value);
    return;
  }
  members_.insert(position, ReportMember{std::move(key), std::move(value)});
}

std::span<const ReportMember> ReportObject::members() const noexcept { return members_; }

bool operator==(const ReportObject& a, const ReportObject& b) { return a.members_ == b.members_; }

bool operator==(const JsonValue& a, const JsonValue& b) { return a.storage_ == b.storage_; }

}  // namespace velkaron::report
