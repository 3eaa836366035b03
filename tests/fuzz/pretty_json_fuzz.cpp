// The JSON writer against an independent reader: any tree of values built from
// the input renders to text that nlohmann-json parses back to the same tree,
// and that it writes again, with two-blank indentation, byte for byte the same
// (its layout and escapes match ours: lowercase \u00XX for control bytes only,
// solidus, DEL and UTF-8 written raw, members in byte order).

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "fuzz_check.h"
#include "fuzz_text.h"
#include "report/json_value.h"
#include "report/pretty_json.h"

namespace {

using velkaron::report::JsonArray;
using velkaron::report::JsonValue;
using velkaron::report::ReportObject;

constexpr int kMaxDepth = 24;
constexpr std::size_t kMaxChildren = 12;
constexpr std::size_t kMaxTextUnits = 40;

struct Built {
  JsonValue value;
  nlohmann::json expected;
};

// Valid UTF-8 (the probe's strings are decoded strictly), weighted towards the
// bytes that the writer escapes and towards short keys that collide.
std::string text(FuzzedDataProvider& input) {
  std::string out;
  const std::size_t units = input.ConsumeIntegralInRange<std::size_t>(0, kMaxTextUnits);
  for (std::size_t i = 0; i < units && input.remaining_bytes() > 0; ++i) {
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        out += static_cast<char>(input.ConsumeIntegralInRange<int>(0x00, 0x7F));
        break;
      case 1: {
        constexpr char kSpecial[] = {'"', '\\', '/', '\b', '\t', '\n', '\f', '\r', 0x1F, 0x7F, 0};
        out += kSpecial[input.ConsumeIntegralInRange<std::size_t>(0, sizeof kSpecial - 1)];
        break;
      }
      case 2:
        out += static_cast<char>(input.ConsumeIntegralInRange<int>('a', 'd'));
        break;
      default: {
        auto code_point = input.ConsumeIntegralInRange<std::uint32_t>(0x80, 0x10FFFF - 0x800);
        if (code_point >= 0xD800) code_point += 0x800;  // skip the surrogates
        out += velkaron::fuzz::utf8_of(static_cast<char32_t>(code_point));
        break;
      }
    }
  }
  return out;
}

Built build(FuzzedDataProvider& input, int depth, std::size_t& budget) {
  const int kinds = depth < kMaxDepth && budget > 0 ? 5 : 3;
  switch (input.ConsumeIntegralInRange<int>(0, kinds)) {
    case 0:
      return {JsonValue::null(), nullptr};
    case 1: {
      const bool flag = input.ConsumeBool();
      return {JsonValue::boolean(flag), flag};
    }
    case 2: {
      const auto number = input.ConsumeIntegral<std::uint64_t>();
      return {JsonValue::number(number), number};
    }
    case 3: {
      std::string value = text(input);
      return {JsonValue::string(value), value};
    }
    case 4: {
      JsonArray elements;
      nlohmann::json expected = nlohmann::json::array();
      const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, kMaxChildren);
      for (std::size_t i = 0; i < count && budget > 0; ++i) {
        --budget;
        Built element = build(input, depth + 1, budget);
        elements.push_back(std::move(element.value));
        expected.push_back(std::move(element.expected));
      }
      return {JsonValue::array(std::move(elements)), std::move(expected)};
    }
    default: {
      ReportObject members;
      nlohmann::json expected = nlohmann::json::object();
      const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, kMaxChildren);
      for (std::size_t i = 0; i < count && budget > 0; ++i) {
        --budget;
        std::string key = text(input);
        Built member = build(input, depth + 1, budget);
        // A repeated key keeps one member with the later value, in both trees.
        expected[key] = std::move(member.expected);
        members.insert(std::move(key), std::move(member.value));
      }
      return {JsonValue::object(std::move(members)), std::move(expected)};
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::size_t budget = 4096;
  const Built tree = build(input, 0, budget);

  const std::string rendered = velkaron::report::to_pretty_json(tree.value);

  const nlohmann::json parsed = nlohmann::json::parse(rendered, nullptr, false);
  if (parsed.is_discarded()) {
    std::fprintf(stderr, "not JSON:\n%s\n", rendered.c_str());
  }
  FUZZ_CHECK(!parsed.is_discarded());
  FUZZ_CHECK(parsed == tree.expected);
  FUZZ_CHECK(parsed.dump(2) == rendered);
  return 0;
}
