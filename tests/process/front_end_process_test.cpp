// The program and the front-end fixture as whole processes: exact command lines
// in, exact bytes on each stream and the exit status out.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "front_end_fixture.h"
#include "launcher.h"
#include "platform/platform_error.h"
#include "platform/wide_text.h"
#include "report/pretty_json.h"

namespace velkaron::wine_test {
namespace {

std::wstring g_probe_program;    // the real program
std::wstring g_fixture_program;  // the same front end with a scripted probe

constexpr std::string_view kUsage = "usage: velkaron-h264-input-types-probe [mft_selector]\n";
// Any program name serves; this one also takes the program name's own rules.
constexpr std::wstring_view kProgramWord = LR"("C:\Program Files\probe\"probe.exe)";

constexpr DWORD kUndecodableCommandLine = 3;
constexpr DWORD kWriteFailed = 4;

ChildRun run(const std::wstring& program, std::wstring_view arguments,
             ChildStreams streams = ChildStreams::captured) {
  EXPECT_FALSE(program.empty()) << "start the tests with the program and the fixture paths";
  return launch(program, std::wstring(kProgramWord) + std::wstring(arguments), streams);
}

std::string utf8(std::wstring_view text) {
  return platform::decode_utf16_lossy(text);
}

// The real probe's answer depends on the encoders the prefix has: either one
// message line on stderr and status 1, or a document on stdout and status 0.
void expect_probe_decided(const ChildRun& child) {
  if (child.exit_code == 1) {
    EXPECT_EQ(child.out, "");
    ASSERT_FALSE(child.err.empty());
    EXPECT_EQ(child.err.find('\n'), child.err.size() - 1) << child.err;
    EXPECT_EQ(child.err.find('\r'), std::string::npos) << child.err;
  } else {
    EXPECT_EQ(child.exit_code, 0u);
    EXPECT_EQ(child.err, "");
    EXPECT_TRUE(child.out.ends_with("}\n")) << child.out;
  }
}

TEST(ProbeProcess, NoneOrOneArgumentIsLeftToTheProbe) {
  for (const std::wstring_view arguments : {L"", L" nvidia", LR"( "")", LR"( "  NVidia  encoder ")",
                                            L" --help", L" /?", L" \u00E9\U0001F3A5"}) {
    SCOPED_TRACE(utf8(arguments));
    expect_probe_decided(run(g_probe_program, arguments));
  }
}

TEST(ProbeProcess, MoreThanOneArgumentGivesTheUsageLine) {
  for (const std::wstring_view arguments :
       {L" a b", LR"( "" "")", LR"( "a b" c d)", L" --help x"}) {
    SCOPED_TRACE(utf8(arguments));
    const ChildRun child = run(g_probe_program, arguments);
    EXPECT_EQ(child.exit_code, 2u);
    EXPECT_EQ(child.out, "");
    EXPECT_EQ(child.err, kUsage);
  }
}

TEST(ProbeProcess, UndecodableWordIsRefusedBeforeArgumentsAreCounted) {
  const ChildRun child = run(g_probe_program, L" ok x\xD800y third");
  EXPECT_EQ(child.exit_code, kUndecodableCommandLine);
  EXPECT_EQ(child.out, "");
  EXPECT_EQ(child.err,
            "invalid command line: argument 2 is not valid UTF-16 (unpaired surrogate): "
            "\"x\xEF\xBF\xBDy\"\n");
}

TEST(ProbeProcess, WithoutStandardHandlesTheStatusIsUnchanged) {
  const ChildRun captured = run(g_probe_program, L"");
  EXPECT_EQ(run(g_probe_program, L"", ChildStreams::none).exit_code, captured.exit_code);
  EXPECT_EQ(run(g_probe_program, L" a b", ChildStreams::none).exit_code, 2u);
}

TEST(ProbeProcess, FailedWriteToStderrEndsWithTheWriteStatus) {
  const ChildRun child = run(g_probe_program, L" a b", ChildStreams::stderr_closed_pipe);
  EXPECT_EQ(child.exit_code, kWriteFailed);
  EXPECT_EQ(child.out, "");
}

TEST(FixtureProcess, SelectorArrivesExactlyAsTyped) {
  struct Case {
    std::wstring_view arguments;
    std::optional<std::wstring_view> selector;
  };
  const Case cases[] = {
      {L"", std::nullopt},
      {L" \t ", std::nullopt},
      {LR"( "")", L""},
      {L"\tnvidia\t", L"nvidia"},
      {LR"( "  two  words ")", L"  two  words "},
      {LR"( a\"b)", LR"(a"b)"},
      {LR"( "C:\dir\\")", LR"(C:\dir\)"},
      {LR"( "say ""hi""")", LR"(say "hi")"},
      {L" --help", L"--help"},
      {L" -h", L"-h"},
      {L" /?", L"/?"},
      {L" \"Encodeur vid\u00E9o \U0001F3A5 \u4E2D\"", L"Encodeur vid\u00E9o \U0001F3A5 \u4E2D"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(utf8(c.arguments));
    const ChildRun child = run(g_fixture_program, c.arguments);
    const std::optional<std::string> selector =
        c.selector ? std::optional(utf8(*c.selector)) : std::nullopt;
    EXPECT_EQ(child.exit_code, 1u);
    EXPECT_EQ(child.out, "");
    EXPECT_EQ(child.err, fixture_message(selector) + "\n");
  }
}

TEST(FixtureProcess, ReportIsWrittenAsUtf8WithOneLineFeed) {
  const ChildRun child = run(g_fixture_program, L" \"report \u00E9\U0001F3A5\"");
  EXPECT_EQ(child.exit_code, 0u);
  EXPECT_EQ(child.err, "");
  EXPECT_EQ(child.out,
            report::to_pretty_json(fixture_report("report \xC3\xA9\xF0\x9F\x8E\xA5")) + "\n");
}

TEST(FixtureProcess, FailedWriteToStdoutIsReportedOnStderr) {
  const ChildRun child = run(g_fixture_program, L" report", ChildStreams::stdout_closed_pipe);
  EXPECT_EQ(child.exit_code, kWriteFailed);

  // A pipe without a reader: "no data" on Windows; other systems may say "broken pipe".
  const std::string prefix = "failed printing to stdout: ";
  ASSERT_TRUE(child.err.starts_with(prefix)) << child.err;
  const std::size_t code_at = child.err.rfind(" (os error ");
  ASSERT_NE(code_at, std::string::npos) << child.err;
  const std::string code = child.err.substr(code_at + 11);
  ASSERT_TRUE(code == "232)\n" || code == "109)\n") << child.err;
  const std::string text = child.err.substr(prefix.size(), code_at - prefix.size());
  EXPECT_EQ(text, platform::system_message(static_cast<HRESULT>(std::stoul(code))));
  EXPECT_FALSE(text.empty());
}

TEST(FixtureProcess, StdoutThatTakesNothingFailsAsAWriteFault) {
  // Every write succeeds having written nothing: the system has no error, so the program names one.
  const ChildRun child = run(g_fixture_program, L" report", ChildStreams::stdout_full_pipe);
  EXPECT_EQ(child.exit_code, kWriteFailed);
  const std::string text = platform::system_message(static_cast<HRESULT>(ERROR_WRITE_FAULT));
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(child.err, "failed printing to stdout: " + text + " (os error 29)\n");
}

TEST(FixtureProcess, BogusStdoutHandleIsTreatedAsAMissingStream) {
  // A non-null value that names no open handle: what goes there is dropped, nothing else changes.
  const ChildRun report = run(g_fixture_program, L" report", ChildStreams::stdout_bogus);
  EXPECT_EQ(report.exit_code, 0u);
  EXPECT_EQ(report.out, "");
  EXPECT_EQ(report.err, "");

  const ChildRun captured = run(g_probe_program, L"");
  const ChildRun bogus = run(g_probe_program, L"", ChildStreams::stdout_bogus);
  EXPECT_EQ(bogus.exit_code, captured.exit_code);
  EXPECT_EQ(bogus.err, captured.err);
}

TEST(FixtureProcess, WithoutStandardHandlesOutputIsDroppedSilently) {
  // The fixture's probe reports success only when it finds no handle at all.
  EXPECT_EQ(run(g_fixture_program, L" no-handles?", ChildStreams::none).exit_code, 0u);
  EXPECT_EQ(run(g_fixture_program, L" report", ChildStreams::none).exit_code, 0u);
  EXPECT_EQ(run(g_fixture_program, L" other", ChildStreams::none).exit_code, 1u);
  EXPECT_EQ(run(g_fixture_program, L" no-handles?").exit_code, 1u);
}

}  // namespace
}  // namespace velkaron::wine_test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no programs; running them does.
  if (argc == 3) {
    velkaron::wine_test::g_probe_program = velkaron::wine_test::windows_path(argv[1]);
    velkaron::wine_test::g_fixture_program = velkaron::wine_test::windows_path(argv[2]);
  }
  return RUN_ALL_TESTS();
}
