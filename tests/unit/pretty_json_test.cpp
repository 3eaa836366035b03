#include "report/pretty_json.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace velkaron::report {
namespace {

JsonValue entry(std::uint64_t index, std::string_view label, std::string_view subtype) {
  ReportObject object;
  object.insert("subtype", JsonValue::string(subtype));
  object.insert("label", JsonValue::string(label));
  object.insert("index", JsonValue::number(index));
  return JsonValue::object(std::move(object));
}

TEST(PrettyJson, WritesAReportExactly) {
  ReportObject report;
  report.insert("ok", JsonValue::boolean(true));
  report.insert("mftFriendlyName", JsonValue::string("Sample H264 Encoder MFT"));
  report.insert("mftClsid", JsonValue::string("12345678-9ABC-4DEF-8123-456789ABCDEF"));
  report.insert("mftSelector", JsonValue::optional_text(std::nullopt));
  report.insert("entries",
                JsonValue::array({entry(0, "NV12", "3231564E-0000-0010-8000-00AA00389B71"),
                                  entry(1, "YUY2", "32595559-0000-0010-8000-00AA00389B71")}));

  EXPECT_EQ(to_pretty_json(JsonValue::object(std::move(report))),
            "{\n"
            "  \"entries\": [\n"
            "    {\n"
            "      \"index\": 0,\n"
            "      \"label\": \"NV12\",\n"
            "      \"subtype\": \"3231564E-0000-0010-8000-00AA00389B71\"\n"
            "    },\n"
            "    {\n"
            "      \"index\": 1,\n"
            "      \"label\": \"YUY2\",\n"
            "      \"subtype\": \"32595559-0000-0010-8000-00AA00389B71\"\n"
            "    }\n"
            "  ],\n"
            "  \"mftClsid\": \"12345678-9ABC-4DEF-8123-456789ABCDEF\",\n"
            "  \"mftFriendlyName\": \"Sample H264 Encoder MFT\",\n"
            "  \"mftSelector\": null,\n"
            "  \"ok\": true\n"
            "}");
}

TEST(PrettyJson, WritesScalarsAsBareTokens) {
  EXPECT_EQ(to_pretty_json(JsonValue::null()), "null");
  EXPECT_EQ(to_pretty_json(JsonValue::boolean(true)), "true");
  EXPECT_EQ(to_pretty_json(JsonValue::boolean(false)), "false");
  EXPECT_EQ(to_pretty_json(JsonValue::number(0)), "0");
  EXPECT_EQ(to_pretty_json(JsonValue::number(10)), "10");
  EXPECT_EQ(to_pretty_json(JsonValue::number(4294967295u)), "4294967295");
  EXPECT_EQ(to_pretty_json(JsonValue::number(std::numeric_limits<std::uint64_t>::max())),
            "18446744073709551615");
}

TEST(PrettyJson, EscapesExactlyQuoteBackslashAndControlBytes) {
  const std::string every_control_byte = [] {
    std::string bytes;
    for (char byte = 0; byte < 0x20; ++byte) bytes += byte;
    return bytes;
  }();
  EXPECT_EQ(to_pretty_json(JsonValue::string(every_control_byte)),
            "\"\\u0000\\u0001\\u0002\\u0003\\u0004\\u0005\\u0006\\u0007"
            "\\b\\t\\n\\u000b\\f\\r\\u000e\\u000f"
            "\\u0010\\u0011\\u0012\\u0013\\u0014\\u0015\\u0016\\u0017"
            "\\u0018\\u0019\\u001a\\u001b\\u001c\\u001d\\u001e\\u001f\"");

  // Solidus, DEL and UTF-8 bytes (e-acute, trade mark sign, a 4-byte character) pass through raw.
  EXPECT_EQ(to_pretty_json(JsonValue::string("a\"b\\c/d\x7F\xC3\xA9\xE2\x84\xA2\xF0\x9D\x84\x9E")),
            "\"a\\\"b\\\\c/d\x7F\xC3\xA9\xE2\x84\xA2\xF0\x9D\x84\x9E\"");
  EXPECT_EQ(to_pretty_json(JsonValue::string("")), "\"\"");
}

TEST(PrettyJson, EscapesKeysLikeValues) {
  ReportObject object;
  object.insert("say \"hi\"\t", JsonValue::string("back\\slash\n"));
  EXPECT_EQ(to_pretty_json(JsonValue::object(std::move(object))),
            "{\n  \"say \\\"hi\\\"\\t\": \"back\\\\slash\\n\"\n}");
}

TEST(PrettyJson, WritesEmptyContainersOnTheirOwnLine) {
  EXPECT_EQ(to_pretty_json(JsonValue::object({})), "{}");
  EXPECT_EQ(to_pretty_json(JsonValue::array({})), "[]");

  ReportObject report;
  report.insert("entries", JsonValue::array({}));
  report.insert("extra", JsonValue::object({}));
  EXPECT_EQ(to_pretty_json(JsonValue::object(std::move(report))),
            "{\n  \"entries\": [],\n  \"extra\": {}\n}");
}

TEST(PrettyJson, IndentsNestedContainersOneUnitPerLevel) {
  ReportObject inner;
  inner.insert("k", JsonValue::array({JsonValue::number(7)}));
  const JsonValue nested = JsonValue::array({
      JsonValue::array({}),
      JsonValue::array({JsonValue::array({JsonValue::null()})}),
      JsonValue::object(std::move(inner)),
      JsonValue::object({}),
  });

  EXPECT_EQ(to_pretty_json(nested),
            "[\n"
            "  [],\n"
            "  [\n"
            "    [\n"
            "      null\n"
            "    ]\n"
            "  ],\n"
            "  {\n"
            "    \"k\": [\n"
            "      7\n"
            "    ]\n"
            "  },\n"
            "  {}\n"
            "]");
}

}  // namespace
}  // namespace velkaron::report
