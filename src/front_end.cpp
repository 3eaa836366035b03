#include "front_end.h"

#include <utility>

#include "report/pretty_json.h"

namespace velkaron::cli {
namespace {

constexpr std::string_view kUsageLine = "usage: velkaron-h264-input-types-probe [mft_selector]";

std::string line(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  out += text;
  out += '\n';
  return out;
}

std::string undecodable_message(const UndecodableWord& word) {
  std::string message = "invalid command line: ";
  message += word.index == 0 ? "the program name" : "argument " + std::to_string(word.index);
  message += " is not valid UTF-16 (unpaired surrogate): \"";
  message += word.lossy_text;
  message += '"';
  return message;
}

}  // namespace

FrontEndResult run_front_end(const CommandLineWords& words, const ProbeFunction& probe) {
  if (!words) {
    return {StandardStream::error, line(undecodable_message(words.error())),
            ExitStatus::undecodable_command_line};
  }
  // The first word is the program name.
  if (words->size() > 2) return {StandardStream::error, line(kUsageLine), ExitStatus::usage};

  std::optional<std::string_view> selector;
  if (words->size() == 2) selector = (*words)[1];

  probe::ProbeOutcome outcome = probe(selector);
  if (!outcome) {
    return {StandardStream::error, line(outcome.error()), ExitStatus::probe_failed};
  }
  // The whole document is in memory before any of it is written.
  std::string document = report::to_pretty_json(*outcome);
  document += '\n';
  return {StandardStream::output, std::move(document), ExitStatus::success};
}

}  // namespace velkaron::cli
