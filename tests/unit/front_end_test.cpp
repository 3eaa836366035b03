#include "front_end.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "recording_probe.h"
#include "report/pretty_json.h"

namespace velkaron::cli {
namespace {

using report::JsonValue;
using report::ReportObject;
using test_support::RecordingProbe;

constexpr std::string_view kUsage = "usage: velkaron-h264-input-types-probe [mft_selector]\n";

JsonValue sample_report() {
  ReportObject object;
  object.insert("ok", JsonValue::boolean(true));
  object.insert("mftFriendlyName", JsonValue::string("Encodeur vid\xC3\xA9o"));
  return JsonValue::object(std::move(object));
}

CommandLineWords words(std::vector<std::string> texts) {
  return texts;
}

TEST(FrontEnd, OneArgumentOrNoneReachesTheProbeExactlyAsTyped) {
  const std::vector<std::optional<std::string>> selectors = {
      std::nullopt, "nvidia", "  NVidia ", "", "--help", "-h", "/?", "\xC3\xA9\xF0\x9F\x8E\xA5"};
  for (const auto& selector : selectors) {
    RecordingProbe probe{std::unexpected(std::string("no encoder"))};
    std::vector<std::string> line = {"probe.exe"};
    if (selector) line.push_back(*selector);

    run_front_end(words(line), probe.function());
    EXPECT_EQ(probe.calls, (std::vector<std::optional<std::string>>{selector}));
  }
}

TEST(FrontEnd, MoreThanOneArgumentGivesUsageWithoutProbing) {
  for (const auto& line :
       {std::vector<std::string>{"probe", "a", "b"}, std::vector<std::string>{"probe", "", ""},
        std::vector<std::string>{"probe", "a", "b", "c", "d"}}) {
    RecordingProbe probe{sample_report()};
    const FrontEndResult result = run_front_end(words(line), probe.function());
    EXPECT_TRUE(probe.calls.empty());
    EXPECT_EQ(result.stream, StandardStream::error);
    EXPECT_EQ(result.text, kUsage);
    EXPECT_EQ(result.status, ExitStatus::usage);
  }
}

TEST(FrontEnd, ProbeMessageGoesToStandardErrorAsReceived) {
  const std::string message = "  MFStartup failed: Call failed. (0x80004005)  ";
  RecordingProbe probe{std::unexpected(message)};
  const FrontEndResult result = run_front_end(words({"probe"}), probe.function());
  EXPECT_EQ(result.stream, StandardStream::error);
  EXPECT_EQ(result.text, message + "\n");
  EXPECT_EQ(result.status, ExitStatus::probe_failed);
}

TEST(FrontEnd, ReportIsTheRenderedDocumentAndOneLineFeed) {
  RecordingProbe probe{sample_report()};
  const FrontEndResult result = run_front_end(words({"probe", "x"}), probe.function());
  EXPECT_EQ(result.stream, StandardStream::output);
  EXPECT_EQ(result.text, report::to_pretty_json(sample_report()) + "\n");
  EXPECT_EQ(result.status, ExitStatus::success);
}

TEST(FrontEnd, UndecodableCommandLineIsRefusedBeforeArgumentsCount) {
  RecordingProbe probe{sample_report()};
  const FrontEndResult result = run_front_end(
      CommandLineWords(std::unexpected(UndecodableWord{3, "x\xEF\xBF\xBD"})), probe.function());
  EXPECT_TRUE(probe.calls.empty());
  EXPECT_EQ(result.stream, StandardStream::error);
  EXPECT_EQ(result.text,
            "invalid command line: argument 3 is not valid UTF-16 (unpaired surrogate): "
            "\"x\xEF\xBF\xBD\"\n");
  EXPECT_EQ(result.status, ExitStatus::undecodable_command_line);

  const FrontEndResult program_name =
      run_front_end(CommandLineWords(std::unexpected(UndecodableWord{0, "p"})), probe.function());
  EXPECT_EQ(program_name.text,
            "invalid command line: the program name is not valid UTF-16 (unpaired surrogate): "
            "\"p\"\n");
}

}  // namespace
}  // namespace velkaron::cli
