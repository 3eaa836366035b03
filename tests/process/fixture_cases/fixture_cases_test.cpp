// The program as a whole process against the platform's own Media Foundation, with the fixture
// encoders registered machine-wide as a GPU driver's installer registers its encoder: exact bytes
// on each stream and the exit status, and the fixture's record of what the program did with the
// encoders. What the platform decides (which encoders it enumerates, their order and names, how
// activating one fails, the system's texts) is asked of it at test time, so the same cases hold
// under Wine and on Windows.

#include <gtest/gtest.h>
#include <mferror.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "enumerated_encoders.h"
#include "fixture_encoders.h"
#include "fixture_record.h"
#include "fixture_registration.h"
#include "known_guids.h"
#include "launcher.h"
#include "platform/media_foundation_guids.h"
#include "platform/platform_error.h"
#include "platform/platform_startup.h"
#include "platform/text.h"
#include "platform/wide_text.h"

namespace velkaron::wine_test {
namespace {

using platform::hresult_text;

std::wstring g_program;         // the real program
std::wstring g_fixture_server;  // the fixture encoders' in-process server

constexpr const wchar_t* kOptIn = L"VELKARON_REGISTER_FIXTURES";
constexpr const wchar_t* kRecordVariable = L"VELKARON_FIXTURE_RECORD";
constexpr const char* kHowToRun =
    "these cases register the fixture encoders machine-wide (HKLM) for the length of each case: "
    "run them as an administrator (an elevated prompt) with the variable "
    "VELKARON_REGISTER_FIXTURES "
    "set to 1; under Wine the build sets it, its prefix being its own";

constexpr std::string_view kNoEncoder = "No hardware H.264 MFT encoder was enumerated.\n";
constexpr std::string_view kActivationFailed =
    "IMFActivate::ActivateObject<IMFTransform> failed for enumerated hardware encoders: ";
// What the fixture records when the program sets the fixed H.264 output type: every attribute of
// the probe's table read back with its value, nothing more.
constexpr std::string_view kOutputTypeSet =
    "SetOutputType(stream 0, flags 0) type=the fixed output type";

constexpr DWORD kFailed = 1;

std::string utf8(std::u16string_view text) {
  return platform::decode_utf16_lossy(platform::wide_string(text.begin(), text.end()));
}

// A status as a message quotes it: this system's text for it and the code, or the code alone.
std::string display(HRESULT code) {
  const std::string text = platform::system_message(code);
  return text.empty() ? hresult_text(code) : text + " (" + hresult_text(code) + ")";
}

// The command line's words after the program name: the one argument, quoted.
std::wstring argument(std::string_view selector) {
  return L" \"" + platform::encode_utf16(selector) + L"\"";
}

bool opted_in() {
  wchar_t value[4] = {};
  return GetEnvironmentVariableW(kOptIn, value, 4) == 1 && value[0] == L'1';
}

// By the documentation of MFTEnumEx, a machine's OEM may leave hardware encoders out of every
// enumeration with this value set to 0.
bool hardware_encoders_disabled() {
  DWORD enabled = 1;
  DWORD size = sizeof enabled;
  return RegGetValueW(
             HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows Media Foundation\\HardwareMFT",
             L"EnableEncoders", RRF_RT_REG_DWORD, nullptr, &enabled, &size) == ERROR_SUCCESS &&
         enabled == 0;
}

// An environment variable of this process, and so of the children it starts, until destroyed.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    SetEnvironmentVariableW(name_, value.c_str());
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;
  ~ScopedVariable() { SetEnvironmentVariableW(name_, nullptr); }

 private:
  const wchar_t* name_;
};

std::wstring record_path() {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  return std::wstring(folder) + L"velkaron-fixture-record-" +
         std::to_wstring(GetCurrentProcessId()) + L".txt";
}

std::optional<std::string> read_file(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), {});
}

struct Expected {
  std::string out;
  std::string err;
  DWORD status = 0;
};

// Runs the program with `arguments` (after its name) and compares everything it did with the
// expectation, the fixture's record included.
void expect_run(std::wstring_view arguments, const Expected& expected,
                const RecordExpectation& record) {
  ASSERT_FALSE(g_program.empty()) << "start the tests with the program and the fixture server";
  const std::wstring path = record_path();
  DeleteFileW(path.c_str());
  ChildRun child;
  {
    const ScopedVariable recording(kRecordVariable, path);
    child = launch(g_program, L"\"" + g_program + L"\"" + std::wstring(arguments));
  }
  const std::optional<std::string> recorded = read_file(path);
  DeleteFileW(path.c_str());
  EXPECT_EQ(child.out, expected.out);
  EXPECT_EQ(child.err, expected.err);
  EXPECT_EQ(child.exit_code, expected.status);
  for (const auto& fault : record_faults(recorded.has_value(), recorded.value_or(""), record)) {
    ADD_FAILURE() << "fixture record: " << fault << "\nthe record:\n" << recorded.value_or("");
  }
}

// COM and Media Foundation for the test's own questions to the platform.
class MediaFoundationSession {
 public:
  MediaFoundationSession() {
    if (auto apartment = platform::enter_com_apartment()) apartment_ = std::move(*apartment);
    if (auto startup = platform::start_media_foundation()) startup_ = std::move(*startup);
  }
  bool started() const { return static_cast<bool>(startup_); }

 private:
  platform::ComApartment apartment_;
  platform::MediaFoundationStartup startup_;
};

struct Entry {
  const char* label;
  GUID subtype;
};

class FixtureCases : public testing::Test {
 protected:
  void SetUp() override {
    if (!opted_in()) GTEST_SKIP() << kHowToRun;
    if (hardware_encoders_disabled()) {
      GTEST_SKIP() << "hardware encoders are disabled on this machine (HKLM\\SOFTWARE\\Microsoft\\"
                      "Windows Media Foundation\\HardwareMFT, EnableEncoders = 0)";
    }
    ASSERT_TRUE(session_.started()) << "Media Foundation does not start";
    auto registered = FixtureRegistration::register_encoders(g_fixture_server);
    if (!registered && registered.error().access_denied) {
      GTEST_SKIP() << registered.error().what << ": " << kHowToRun;
    }
    ASSERT_TRUE(registered) << registered.error().what;
    registration_.emplace(std::move(*registered));
    auto listed = enumerated_encoders();
    ASSERT_TRUE(listed) << "MFTEnumEx failed: " << hresult_text(listed.error());
    encoders_ = std::move(*listed);
    for (const GUID& clsid : kFixtureClsids) {
      ASSERT_NE(find(clsid), nullptr)
          << "Media Foundation does not enumerate the registered fixture encoder "
          << guid_name(clsid) << " (on Windows, is it on the plug-in control's blocked list?)";
    }
  }

  void TearDown() override {
    registration_.reset();
    for (const auto& trace : fixture_registration_traces()) {
      ADD_FAILURE() << "left registered after the case: " << trace;
    }
  }

  const EnumeratedEncoder* find(const GUID& clsid) const {
    for (const auto& encoder : encoders_) {
      if (platform::same_guid(encoder.clsid, clsid)) return &encoder;
    }
    return nullptr;
  }

  // The cases without a selector: their outcome is the first enumerated encoder's.
  bool only_fixtures_enumerated() const { return encoders_.size() == kFixtureClsids.size(); }
  static constexpr const char* kOtherEncoders =
      "this machine's Media Foundation enumerates hardware H.264 encoders besides the fixture's "
      "(a GPU's): a run without a selector may choose one of those, so this case runs only where "
      "the fixture encoders are alone";

  // Every enumerated encoder as the program lists them.
  std::string available() const {
    std::string list;
    for (const auto& encoder : encoders_) {
      list += (list.empty() ? "" : " | ") + encoder.name + " [" + encoder.clsid_text + "]";
    }
    return list.empty() ? "<none>" : list;
  }

  // The report's exact text for the fixture encoder, written by an independent JSON writer: keys
  // in byte order, two blanks of indent.
  std::string report(const GUID& clsid, const std::optional<std::string>& selector,
                     std::initializer_list<Entry> entries) const {
    nlohmann::json listed = nlohmann::json::array();
    for (const Entry& entry : entries) {
      listed.push_back({{"index", listed.size()},
                        {"label", entry.label},
                        {"subtype", clsid_text(entry.subtype)}});
    }
    nlohmann::json document;
    document["entries"] = listed;
    document["mftClsid"] = find(clsid)->clsid_text;
    document["mftFriendlyName"] = find(clsid)->name;
    document["mftSelector"] = selector ? nlohmann::json(*selector) : nlohmann::json(nullptr);
    document["ok"] = true;
    return document.dump(2) + "\n";
  }

  // The CLSID's first `length` characters, as a selector may name an encoder.
  static std::string fragment(const GUID& clsid, std::size_t length) {
    return clsid_text(clsid).substr(0, length);
  }
  // The CLSID's first eight characters in lowercase: a selector that names one fixture encoder.
  static std::string short_selector(const GUID& clsid) {
    return platform::ascii_lowercase(fragment(clsid, 8));
  }

  MediaFoundationSession session_;
  std::optional<FixtureRegistration> registration_;
  std::vector<EnumeratedEncoder> encoders_;
};

namespace mf = probe::mf;

// The five input types of the full encoder, in its order; I420 is one the program does not label.
const std::initializer_list<Entry> kFullInputs = {{"NV12", mf::MFVideoFormat_NV12},
                                                  {"YUY2", mf::MFVideoFormat_YUY2},
                                                  {"ARGB32", mf::MFVideoFormat_ARGB32},
                                                  {"RGB32", mf::MFVideoFormat_RGB32},
                                                  {"unknown", kFormatI420}};

TEST_F(FixtureCases, WithoutSelectorTheFirstEncoderIsUnlockedAndReported) {
  if (!only_fixtures_enumerated()) GTEST_SKIP() << kOtherEncoders;
  ASSERT_TRUE(platform::same_guid(encoders_.front().clsid, kFullClsid))
      << "the fixture encoders are enumerated in another order: " << available();
  expect_run(L"", {report(kFullClsid, std::nullopt, kFullInputs), "", 0},
             made({"GetUINT32(MF_TRANSFORM_ASYNC) = 1",
                   "SetUINT32(MF_TRANSFORM_ASYNC_UNLOCK, 1) -> 0x00000000",
                   std::string(kOutputTypeSet) + " -> 0x00000000",
                   "GetInputAvailableType(stream 0, 5) -> 0xC00D36B9"},
                  {"DllGetClassObject(" + guid_name(kSyncClsid)}));
}

TEST_F(FixtureCases, BlankSelectorIsNoSelector) {
  if (!only_fixtures_enumerated()) GTEST_SKIP() << kOtherEncoders;
  ASSERT_TRUE(platform::same_guid(encoders_.front().clsid, kFullClsid)) << available();
  expect_run(argument("  \t "), {report(kFullClsid, "  \t ", kFullInputs), "", 0}, made({}));
}

TEST_F(FixtureCases, SelectorMatchesClsidFragmentInEitherCase) {
  // A synchronous encoder is never unlocked; the other encoders are never created.
  const std::string lower = short_selector(kSyncClsid);
  expect_run(argument(lower),
             {report(kSyncClsid, lower,
                     {{"NV12", mf::MFVideoFormat_NV12}, {"NV12", mf::MFVideoFormat_NV12}}),
              "", 0},
             made({std::string(kOutputTypeSet) + " -> 0x00000000"},
                  {"MF_TRANSFORM_ASYNC_UNLOCK", "DllGetClassObject(" + guid_name(kFullClsid)}));

  // Untrimmed and uppercase; an asynchronous flag of 0 is no asynchronous encoder either.
  const std::string upper = " " + fragment(kNoInputsClsid, 13) + " ";
  expect_run(argument(upper), {report(kNoInputsClsid, upper, {}), "", 0},
             made({"GetUINT32(MF_TRANSFORM_ASYNC) = 0",
                   "GetInputAvailableType(stream 0, 0) -> 0xC00D36B9"},
                  {"MF_TRANSFORM_ASYNC_UNLOCK"}));
}

TEST_F(FixtureCases, SelectorMatchingNothingListsEveryEncoder) {
  expect_run(argument("  No-Such-Encoder "),
             {"",
              "No enumerated hardware H.264 MFT matched selector 'no-such-encoder'. "
              "Available encoders: " +
                  available() + "\n",
              kFailed},
             not_loaded());
}

TEST_F(FixtureCases, EveryActivationFailingIsListedInTheOrderTried) {
  // How activation fails is the platform's answer: Wine's is MF_E_INVALIDREQUEST for either.
  std::string failures;
  for (const auto& encoder : encoders_) {
    if (!encoder.clsid_text.starts_with(fragment(kNoClassObjectClsid, 8))) continue;
    failures += (failures.empty() ? "" : " | ") + encoder.name + " [" + encoder.clsid_text +
                "]: " + display(activation_status(encoder.clsid));
  }
  expect_run(
      argument(fragment(kNoClassObjectClsid, 8)),
      {"",
       std::string(kActivationFailed) + failures + ". Available encoders: " + available() + "\n",
       kFailed},
      made({"DllGetClassObject(" + guid_name(kNoClassObjectClsid),
            "CreateInstance(IMFTransform) -> " + hresult_text(E_OUTOFMEMORY)}));
}

TEST_F(FixtureCases, RefusedUnlockEndsTheRun) {
  expect_run(argument(short_selector(kUnlockRefusedClsid)),
             {"", "Failed to unlock async H.264 MFT: " + display(E_ACCESSDENIED) + "\n", kFailed},
             made({}, {"SetOutputType"}));
}

TEST_F(FixtureCases, RefusedOutputTypeIsReportedWithTheEncodersDescription) {
  expect_run(argument(short_selector(kOutputRefusedClsid)),
             {"",
              "MFT SetOutputType(H264) failed: " + utf8(kOutputRefusedDescription) + " (" +
                  hresult_text(MF_E_INVALIDMEDIATYPE) + ")\n",
              kFailed},
             made({std::string(kOutputTypeSet) + " -> " + hresult_text(MF_E_INVALIDMEDIATYPE),
                   "GetDescription", "released errorinfo"},
                  {"GetInputAvailableType"}));
}

TEST_F(FixtureCases, FailingInputTypeWalkEndsTheRun) {
  expect_run(argument(short_selector(kWalkFailsClsid)),
             {"", "MFT GetInputAvailableType failed: " + display(E_NOTIMPL) + "\n", kFailed},
             made({"GetInputAvailableType(stream 0, 1)",
                   "GetInputAvailableType(stream 0, 2) -> " + hresult_text(E_NOTIMPL)}));
}

// Without the fixture (it registers nothing, so it needs no rights): where Media Foundation
// enumerates no hardware encoder at all, the program says so.
TEST(WithoutFixtureEncoders, NothingEnumeratedIsSaid) {
  const MediaFoundationSession session;
  ASSERT_TRUE(session.started()) << "Media Foundation does not start";
  auto listed = enumerated_encoders();
  ASSERT_TRUE(listed) << "MFTEnumEx failed: " << hresult_text(listed.error());
  if (!listed->empty()) {
    GTEST_SKIP() << "this machine's Media Foundation enumerates hardware H.264 encoders (a GPU's, "
                    "or another case's fixture): the case runs where it enumerates none";
  }
  expect_run(L"", {"", std::string(kNoEncoder), kFailed}, not_loaded());
}

}  // namespace
}  // namespace velkaron::wine_test

int main(int argc, char** argv) {
  using namespace velkaron::wine_test;
  // After the cases: nothing of the fixture may be left in the machine's registry.
  if (argc == 2 && std::string_view(argv[1]) == "--nothing-registered") {
    const auto traces = fixture_registration_traces();
    for (const auto& trace : traces) std::printf("still registered: %s\n", trace.c_str());
    if (traces.empty()) std::printf("no fixture encoder is registered\n");
    return traces.empty() ? 0 : 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no paths; running them does.
  if (argc == 3) {
    g_program = windows_path(argv[1]);
    g_fixture_server = windows_path(argv[2]);
  }
  return RUN_ALL_TESTS();
}
