// Random trees rendered by the writer and read back by an independent JSON reader.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <string_view>

#include "report/pretty_json.h"

namespace velkaron::report {
namespace {

// The reader keeps members in document order, so the writer's order can be checked too.
using ReadJson = nlohmann::ordered_json;

class RandomTrees {
 public:
  explicit RandomTrees(std::uint64_t seed) : engine_(seed) {}

  // A container at the root, anything below it.
  JsonValue tree(int depth) { return value(depth, 4 + below(2)); }

 private:
  JsonValue value(int depth) { return value(depth, below(depth > 0 ? 6 : 4)); }

  JsonValue value(int depth, std::uint64_t kind) {
    switch (kind) {
      case 0:
        return JsonValue::null();
      case 1:
        return JsonValue::boolean(below(2) == 1);
      case 2:
        return JsonValue::number(number());
      case 3:
        return JsonValue::string(text());
      case 4: {
        JsonArray elements;
        for (std::uint64_t n = below(5); n > 0; --n) elements.push_back(value(depth - 1));
        return JsonValue::array(std::move(elements));
      }
      default: {
        ReportObject object;
        for (std::uint64_t n = below(5); n > 0; --n) object.insert(text(), value(depth - 1));
        return JsonValue::object(std::move(object));
      }
    }
  }

  // The engine's raw output is the same on every platform; library distributions need not be.
  std::uint64_t below(std::uint64_t bound) { return engine_() % bound; }

  std::uint64_t number() {
    static constexpr std::array<std::uint64_t, 5> kEdges{0, 9, 10, 4294967295u,
                                                         std::numeric_limits<std::uint64_t>::max()};
    return below(2) == 0 ? kEdges[below(kEdges.size())] : engine_() >> below(64);
  }

  // Well-formed UTF-8 mixing plain runs with every kind of byte the writer treats specially.
  std::string text() {
    static constexpr std::array<std::string_view, 12> kPieces{"abc",
                                                              "Encoder MFT",
                                                              "\"",
                                                              "\\",
                                                              "/",
                                                              "\x7F",
                                                              "\xC3\xA9",
                                                              "\xE2\x84\xA2",
                                                              "\xF0\x9D\x84\x9E",
                                                              "\xEF\xBF\xBD",
                                                              "\xC2\x85",
                                                              "\xE3\x80\x80"};
    std::string result;
    for (std::uint64_t n = below(6); n > 0; --n) {
      if (below(3) == 0) {
        result += static_cast<char>(below(0x20));  // any control byte, NUL included
      } else {
        result += kPieces[below(kPieces.size())];
      }
    }
    return result;
  }

  std::mt19937_64 engine_;
};

// True when `read` holds the same tree as `written`, with members in strictly
// ascending byte order of their keys.
::testing::AssertionResult same_tree(const ReadJson& read, const JsonValue& written) {
  struct Compare {
    const ReadJson& read;
    ::testing::AssertionResult operator()(std::nullptr_t) const {
      return read.is_null() ? ::testing::AssertionSuccess()
                            : ::testing::AssertionFailure() << "expected null";
    }
    ::testing::AssertionResult operator()(bool flag) const {
      if (read.is_boolean() && read.get<bool>() == flag) return ::testing::AssertionSuccess();
      return ::testing::AssertionFailure() << "expected " << flag;
    }
    ::testing::AssertionResult operator()(std::uint64_t number) const {
      if (read.is_number_unsigned() && read.get<std::uint64_t>() == number) {
        return ::testing::AssertionSuccess();
      }
      return ::testing::AssertionFailure() << "expected " << number << ", read " << read.dump();
    }
    ::testing::AssertionResult operator()(const std::string& text) const {
      if (read.is_string() && read.get_ref<const std::string&>() == text) {
        return ::testing::AssertionSuccess();
      }
      return ::testing::AssertionFailure() << "string differs, read " << read.dump();
    }
    ::testing::AssertionResult operator()(const JsonArray& elements) const {
      if (!read.is_array() || read.size() != elements.size()) {
        return ::testing::AssertionFailure() << "array differs, read " << read.dump();
      }
      for (std::size_t i = 0; i < elements.size(); ++i) {
        if (auto result = same_tree(read[i], elements[i]); !result) return result;
      }
      return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult operator()(const ReportObject& object) const {
      const auto members = object.members();
      if (!read.is_object() || read.size() != members.size()) {
        return ::testing::AssertionFailure() << "object differs, read " << read.dump();
      }
      std::size_t i = 0;
      for (const auto& [key, value] : read.items()) {
        if (i > 0 && !(members[i - 1].key < key)) {
          return ::testing::AssertionFailure() << "keys out of order at " << i;
        }
        if (key != members[i].key)
          return ::testing::AssertionFailure() << "key " << i << " differs";
        if (auto result = same_tree(value, members[i].value); !result) return result;
        ++i;
      }
      return ::testing::AssertionSuccess();
    }
  };
  return std::visit(Compare{read}, written.storage());
}

TEST(PrettyJsonRoundTrip, AnIndependentReaderReadsBackEveryRandomTree) {
  RandomTrees trees(0x5EED'2024'0429ull);
  for (int round = 0; round < 1000; ++round) {
    const JsonValue tree = trees.tree(4);
    const std::string text = to_pretty_json(tree);

    const ReadJson read = ReadJson::parse(text, nullptr, /*allow_exceptions=*/false);
    ASSERT_FALSE(read.is_discarded()) << "round " << round << ":\n" << text;
    ASSERT_TRUE(same_tree(read, tree)) << "round " << round << ":\n" << text;
    // The reader's own two-blank layout, in the order read, is the writer's text to the byte.
    ASSERT_EQ(read.dump(2), text) << "round " << round;
  }
}

}  // namespace
}  // namespace velkaron::report
