#pragma once

// The report as a tree of JSON values. Objects keep unique keys in ascending
// byte-wise order; the order of insertion plays no part.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velkaron::report {

class JsonValue;
struct ReportMember;

class ReportObject {
 public:
  // Adds the member, or replaces the value of the key already present.
  void insert(std::string key, JsonValue value);

  // Members in ascending order of their keys' bytes.
  std::span<const ReportMember> members() const noexcept;
  bool empty() const noexcept { return members_.empty(); }

  friend bool operator==(const ReportObject&, const ReportObject&);

 private:
  std::vector<ReportMember> members_;
};

using JsonArray = std::vector<JsonValue>;

class JsonValue {
 public:
  using Storage = std::variant<std::nullptr_t, bool, std::uint64_t, std::string, JsonArray,
                               ReportObject>;

  // null
  JsonValue() noexcept;

  static JsonValue null() noexcept;
  static JsonValue boolean(bool flag);
  static JsonValue number(std::uint64_t value);
  static JsonValue string(std::string_view text);
  // Absent gives null; present gives a string.
  static JsonValue optional_text(std::optional<std::string_view> text);
  static JsonValue array(JsonArray elements);
  static JsonValue object(ReportObject members);

  const Storage& storage() const noexcept { return storage_; }

  friend bool operator==(const JsonValue&, const JsonValue&);

 private:
  explicit JsonValue(Storage storage);
  Storage storage_;
};

struct ReportMember {
  std::string key;
  JsonValue value;

  friend bool operator==(const ReportMember&, const ReportMember&) = default;
};

// Defined where ReportMember is complete: clang instantiates the variant's destructor at the
// first Storage it sees built, and that destructor needs every member type whole.
inline JsonValue::JsonValue() noexcept : storage_(nullptr) {}
inline JsonValue::JsonValue(Storage storage) : storage_(std::move(storage)) {}
inline JsonValue JsonValue::null() noexcept {
  return JsonValue();
}
inline JsonValue JsonValue::boolean(bool flag) {
  return JsonValue(Storage(flag));
}
inline JsonValue JsonValue::number(std::uint64_t value) {
  return JsonValue(Storage(value));
}
inline JsonValue JsonValue::string(std::string_view text) {
  return JsonValue(Storage(std::string(text)));
}
inline JsonValue JsonValue::optional_text(std::optional<std::string_view> text) {
  return text ? string(*text) : null();
}
inline JsonValue JsonValue::array(JsonArray elements) {
  return JsonValue(Storage(std::move(elements)));
}
inline JsonValue JsonValue::object(ReportObject members) {
  return JsonValue(Storage(std::move(members)));
}

}  // namespace velkaron::report
