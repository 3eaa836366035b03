#include "scenario.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

// The scenario file, one statement per line; blank lines and lines starting
// with # are ignored.
//
//   startup STATUS                     what MFStartup returns
//   shutdown STATUS                    what MFShutdown returns
//   enum STATUS                        what MFTEnumEx returns
//   enum-without-array                 MFTEnumEx succeeds with a count but no array
//   create-media-type STATUS | null    what MFCreateMediaType returns (null: success, no object)
//   output-type-fails KEY STATUS       the output type's setter for KEY fails
//   errorinfo ID [description TEXT] [restricted] [details TEXT] [restricted-description TEXT]
//                                      error information that a STATUS can name
//   null-entry                         a null slot in the activation array
//   encoder                            a new activation object, described by the lines
//                                      that follow, up to the next encoder or null-entry:
//     name TEXT [length N]             friendly name, and the length reported for it
//     name-fails STATUS
//     clsid GUID
//     clsid-fails STATUS
//     activate STATUS | null
//     shutdown-object STATUS           what ShutdownObject returns
//     attributes STATUS | null         the transform's GetAttributes
//     async N                          MF_TRANSFORM_ASYNC (absent unless given)
//     async-fails STATUS
//     unlock STATUS                    setting MF_TRANSFORM_ASYNC_UNLOCK
//     set-output STATUS
//     inputs SUBTYPE...                the input types offered, in order
//     subtype-fails INDEX STATUS       reading the subtype of that input type fails
//     inputs-end STATUS | null         what the index after the last input type gives
//
// STATUS is a number (0x80004005), optionally followed by /ID to leave that
// error information on the thread. TEXT is double-quoted, with the escapes
// \" \\ \n \r \t \0 and \uXXXX for one UTF-16 unit (a lone surrogate too);
// other characters are UTF-8. GUID, KEY and SUBTYPE are GUID texts, with or
// without braces, or known names such as NV12 or MF_MT_SUBTYPE.

namespace velkaron::wine_test {
namespace {

struct Token {
  std::string text;
  bool quoted = false;
  std::wstring wide;  // the decoded text of a quoted token
};

void append_utf8_as_utf16(std::wstring& out, std::string_view bytes, std::size_t& i) {
  const auto byte = [&](std::size_t at) {
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u;
  };
  unsigned lead = byte(i);
  unsigned code = lead;
  std::size_t extra = 0;
  if (lead >= 0xF0) {
    code = lead & 0x07u;
    extra = 3;
  } else if (lead >= 0xE0) {
    code = lead & 0x0Fu;
    extra = 2;
  } else if (lead >= 0xC0) {
    code = lead & 0x1Fu;
    extra = 1;
  }
  for (std::size_t k = 1; k <= extra; ++k) code = code << 6 | (byte(i + k) & 0x3Fu);
  i += extra;
  if (code >= 0x10000) {
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (code >> 10));
    out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<wchar_t>(code);
  }
}

bool split_line(std::string_view line, std::vector<Token>& tokens, std::string& problem) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
      ++i;
      continue;
    }
    Token token;
    if (line[i] != '"') {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
        token.text += line[i++];
      }
      tokens.push_back(std::move(token));
      continue;
    }
    token.quoted = true;
    ++i;
    for (;; ++i) {
      if (i >= line.size()) {
        problem = "unterminated text";
        return false;
      }
      const char c = line[i];
      if (c == '"') break;
      if (c != '\\') {
        append_utf8_as_utf16(token.wide, line, i);
        continue;
      }
      if (++i >= line.size()) continue;
      switch (line[i]) {
        case 'n':
          token.wide += L'\n';
          break;
        case 'r':
          token.wide += L'\r';
          break;
        case 't':
          token.wide += L'\t';
          break;
        case '0':
          token.wide += L'\0';
          break;
        case 'u': {
          const std::string digits(line.substr(i + 1, 4));
          token.wide += static_cast<wchar_t>(std::strtoul(digits.c_str(), nullptr, 16));
          i += 4;
          break;
        }
        default:
          token.wide += static_cast<wchar_t>(line[i]);
          break;
      }
    }
    ++i;
    tokens.push_back(std::move(token));
  }
  return true;
}

class ScenarioReader {
 public:
  bool statement(const std::vector<Token>& words) {
    word_ = &words;
    const std::string& verb = words[0].text;
    if (verb == "startup") return status_at(1, scenario_.startup);
    if (verb == "shutdown") return status_at(1, scenario_.shutdown);
    if (verb == "enum") return status_at(1, scenario_.enumeration);
    if (verb == "enum-without-array") return (scenario_.enumeration_without_array = true);
    if (verb == "create-media-type") return status_at(1, scenario_.media_type_creation);
    if (verb == "output-type-fails") {
      GUID key{};
      ScriptedStatus status;
      if (!guid_at(1, key) || !status_at(2, status)) return false;
      scenario_.output_type_failures[key] = status.failure();
      return true;
    }
    if (verb == "errorinfo") return error_information();
    if (verb == "null-entry") {
      scenario_.encoders.push_back({});
      scenario_.encoders.back().null_entry = true;
      return true;
    }
    if (verb == "encoder") {
      scenario_.encoders.push_back({});
      return true;
    }
    if (scenario_.encoders.empty() || scenario_.encoders.back().null_entry) {
      return fail("'" + verb + "' outside an encoder");
    }
    return encoder_statement(verb, scenario_.encoders.back());
  }

  Scenario& scenario() { return scenario_; }
  const std::string& problem() const { return problem_; }

 private:
  bool encoder_statement(const std::string& verb, EncoderScript& encoder) {
    ScriptedStatus status;
    if (verb == "name") {
      if (!text_at(1)) return false;
      WideValue name{(*word_)[1].wide, std::nullopt};
      if (word_->size() == 4 && (*word_)[2].text == "length") {
        name.reported_length =
            static_cast<UINT32>(std::strtoul((*word_)[3].text.c_str(), nullptr, 0));
      }
      encoder.friendly_name = name;
      return true;
    }
    if (verb == "name-fails") return failure_at(1, encoder.name_failure);
    if (verb == "clsid") {
      GUID clsid{};
      if (!guid_at(1, clsid)) return false;
      encoder.clsid = clsid;
      return true;
    }
    if (verb == "clsid-fails") return failure_at(1, encoder.clsid_failure);
    if (verb == "activate") return status_at(1, encoder.activation);
    if (verb == "shutdown-object") return failure_at(1, encoder.shutdown_failure);
    if (verb == "attributes") {
      if (!status_at(1, status)) return false;
      encoder.transform.attributes_null = status.null_object;
      if (FAILED(status.status)) encoder.transform.attributes_failure = status.failure();
      return true;
    }
    if (verb == "async") {
      if (!number_at(1)) return false;
      encoder.transform.async_flag =
          static_cast<UINT32>(std::strtoul((*word_)[1].text.c_str(), nullptr, 0));
      return true;
    }
    if (verb == "async-fails") return failure_at(1, encoder.transform.async_read_failure);
    if (verb == "unlock") return failure_at(1, encoder.transform.unlock_failure);
    if (verb == "set-output") return failure_at(1, encoder.transform.set_output_failure);
    if (verb == "inputs") {
      for (std::size_t i = 1; i < word_->size(); ++i) {
        GUID subtype{};
        if (!guid_at(i, subtype)) return false;
        encoder.transform.inputs.push_back({subtype, std::nullopt});
      }
      return true;
    }
    if (verb == "subtype-fails") {
      if (!number_at(1)) return false;
      const auto index = std::strtoul((*word_)[1].text.c_str(), nullptr, 0);
      if (index >= encoder.transform.inputs.size()) return fail("no input type at that index");
      return failure_at(2, encoder.transform.inputs[index].subtype_failure);
    }
    if (verb == "inputs-end") {
      if (!status_at(1, status)) return false;
      encoder.transform.end_null = status.null_object;
      if (FAILED(status.status)) encoder.transform.end_failure = status.failure();
      return true;
    }
    return fail("unknown statement '" + verb + "'");
  }

  bool error_information() {
    if (word_->size() < 2) return fail("errorinfo without a name");
    ErrorInformation information;
    for (std::size_t i = 2; i < word_->size(); ++i) {
      const std::string& field = (*word_)[i].text;
      if (field == "restricted") {
        information.restricted = true;
        continue;
      }
      if (!text_at(i + 1)) return false;
      const std::wstring& text = (*word_)[++i].wide;
      if (field == "description") {
        information.description = text;
      } else if (field == "details") {
        information.details_description = text;
      } else if (field == "restricted-description") {
        information.restricted_description = text;
      } else {
        return fail("unknown errorinfo field '" + field + "'");
      }
    }
    error_information_[(*word_)[1].text] = information;
    return true;
  }

  bool status_at(std::size_t at, ScriptedStatus& status) {
    if (at >= word_->size()) return fail("missing status");
    const std::string& text = (*word_)[at].text;
    status = {};
    if (text == "null") {
      status.null_object = true;
      return true;
    }
    const auto slash = text.find('/');
    char* end = nullptr;
    const std::string number = text.substr(0, slash);
    status.status = static_cast<HRESULT>(std::strtoul(number.c_str(), &end, 0));
    if (number.empty() || *end != '\0') return fail("bad status '" + text + "'");
    if (slash != std::string::npos) {
      auto found = error_information_.find(text.substr(slash + 1));
      if (found == error_information_.end()) return fail("unknown errorinfo in '" + text + "'");
      status.information = found->second;
    }
    return true;
  }
  bool failure_at(std::size_t at, std::optional<ScriptedFailure>& failure) {
    ScriptedStatus status;
    if (!status_at(at, status)) return false;
    failure = status.failure();
    return true;
  }
  bool guid_at(std::size_t at, GUID& guid) {
    if (at >= word_->size() || !parse_guid((*word_)[at].text, guid)) return fail("bad GUID");
    return true;
  }
  bool text_at(std::size_t at) {
    if (at >= word_->size() || !(*word_)[at].quoted) return fail("missing quoted text");
    return true;
  }
  bool number_at(std::size_t at) {
    if (at >= word_->size() || (*word_)[at].text.empty()) return fail("missing number");
    return true;
  }
  bool fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }

  Scenario scenario_;
  std::map<std::string, ErrorInformation> error_information_;
  const std::vector<Token>* word_ = nullptr;
  std::string problem_;
};

}  // namespace

ScenarioOutcome read_scenario(const std::wstring& path) {
  ScenarioOutcome outcome;
  std::FILE* file = _wfopen(path.c_str(), L"rb");
  if (file == nullptr) {
    outcome.problem = "cannot open the scenario file";
    return outcome;
  }
  std::string content;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
    content.append(buffer, got);
  }
  std::fclose(file);

  ScenarioReader reader;
  std::size_t line_number = 0;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    const std::string_view line(content.data() + start, end - start);
    start = end + 1;
    ++line_number;
    std::vector<Token> words;
    std::string problem;
    if (!split_line(line, words, problem) ||
        (!words.empty() && !words[0].text.starts_with('#') && !reader.statement(words))) {
      outcome.problem = "line " + std::to_string(line_number) + ": " +
                        (problem.empty() ? reader.problem() : problem);
      return outcome;
    }
  }
  outcome.scenario = std::move(reader.scenario());
  return outcome;
}

}  // namespace velkaron::wine_test
