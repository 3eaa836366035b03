#include "report/pretty_json.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "platform/hex_text.h"

namespace velkaron::report {
namespace {

constexpr std::size_t kInitialCapacity = 128;
constexpr std::string_view kIndentUnit = "  ";

bool needs_escape(unsigned char byte) noexcept {
  return byte < 0x20 || byte == '"' || byte == '\\';
}

// Appends the whole document to one buffer in a single walk over the tree.
class PrettyWriter {
 public:
  explicit PrettyWriter(std::string& out) : out_(out) {}

  void operator()(std::nullptr_t) { out_ += "null"; }
  void operator()(bool flag) { out_ += flag ? "true" : "false"; }

  void operator()(std::uint64_t number) {
    char digits[20];  // UINT64_MAX has 20 decimal digits
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out_.append(digits, end);
  }

  void operator()(const std::string& text) { write_quoted(text); }

  void operator()(const JsonArray& elements) {
    if (elements.empty()) {
      out_ += "[]";
      return;
    }
    out_ += '[';
    ++depth_;
    bool first = true;
    for (const JsonValue& element : elements) {
      begin_line(first);
      write(element);
    }
    end_container(']');
  }

  void operator()(const ReportObject& object) {
    if (object.empty()) {
      out_ += "{}";
      return;
    }
    out_ += '{';
    ++depth_;
    bool first = true;
    for (const ReportMember& member : object.members()) {
      begin_line(first);
      write_quoted(member.key);
      out_ += ": ";
      write(member.value);
    }
    end_container('}');
  }

  void write(const JsonValue& value) { std::visit(*this, value.storage()); }

 private:
  void indent() {
    for (std::size_t level = 0; level < depth_; ++level) out_ += kIndentUnit;
  }

  // Every element or member of a non-empty container starts a line of its own.
  void begin_line(bool& first) {
    out_ += first ? "\n" : ",\n";
    first = false;
    indent();
  }

  void end_container(char closing) {
    --depth_;
    out_ += '\n';
    indent();
    out_ += closing;
  }

  void write_quoted(std::string_view text) {
    out_ += '"';
    std::size_t run_start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      if (!needs_escape(byte)) continue;
      out_.append(text, run_start, i - run_start);
      run_start = i + 1;
      switch (byte) {
        case '"':
          out_ += "\\\"";
          break;
        case '\\':
          out_ += "\\\\";
          break;
        case '\b':
          out_ += "\\b";
          break;
        case '\t':
          out_ += "\\t";
          break;
        case '\n':
          out_ += "\\n";
          break;
        case '\f':
          out_ += "\\f";
          break;
        case '\r':
          out_ += "\\r";
          break;
        default:
          out_ += "\\u00";
          platform::append_hex(out_, byte, 2, platform::HexLetters::lower);
      }
    }
    out_.append(text, run_start);
    out_ += '"';
  }

  std::string& out_;
  std::size_t depth_ = 0;
};

}  // namespace

std::string to_pretty_json(const JsonValue& value) {
  std::string out;
  out.reserve(kInitialCapacity);
  PrettyWriter(out).write(value);
  return out;
}

}  // namespace velkaron::report
