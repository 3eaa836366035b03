#include "report/json_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkaron::report {
namespace {

std::vector<std::string> keys_of(const ReportObject& object) {
  std::vector<std::string> keys;
  for (const ReportMember& member : object.members()) keys.push_back(member.key);
  return keys;
}

ReportObject object_with_keys(const std::vector<std::string>& keys) {
  ReportObject object;
  for (const std::string& key : keys) object.insert(key, JsonValue::null());
  return object;
}

TEST(ReportObject, KeysComeOutInByteOrderWhateverTheInsertionOrder) {
  EXPECT_EQ(
      keys_of(object_with_keys({"ok", "mftFriendlyName", "mftClsid", "mftSelector", "entries"})),
      (std::vector<std::string>{"entries", "mftClsid", "mftFriendlyName", "mftSelector", "ok"}));
  EXPECT_EQ(keys_of(object_with_keys({"subtype", "label", "index"})),
            (std::vector<std::string>{"index", "label", "subtype"}));
}

TEST(ReportObject, OrderComparesUnsignedBytesAndShorterPrefixFirst) {
  // "\xC3\xA9" is e-acute: its lead byte is above every ASCII byte.
  EXPECT_EQ(keys_of(object_with_keys({"\xC3\xA9", "z", "ab", "a", "B", "", "\x7F"})),
            (std::vector<std::string>{"", "B", "a", "ab", "z", "\x7F", "\xC3\xA9"}));
}

TEST(ReportObject, InsertingAPresentKeyReplacesItsValue) {
  ReportObject object;
  object.insert("label", JsonValue::string("first"));
  object.insert("index", JsonValue::number(1));
  object.insert("label", JsonValue::string("second"));

  ASSERT_EQ(object.members().size(), 2u);
  EXPECT_EQ(object.members()[1].key, "label");
  EXPECT_EQ(object.members()[1].value, JsonValue::string("second"));
}

TEST(JsonValue, OptionalTextIsNullWhenAbsentAndAStringWhenPresent) {
  EXPECT_EQ(JsonValue::optional_text(std::nullopt), JsonValue::null());
  EXPECT_EQ(JsonValue::optional_text(""), JsonValue::string(""));
  EXPECT_NE(JsonValue::optional_text(""), JsonValue::null());
}

}  // namespace
}  // namespace velkaron::report
