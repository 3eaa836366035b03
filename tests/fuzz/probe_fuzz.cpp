// The whole probe on a scripted platform that the input writes as an encoder world: the frame's
// statuses, what MFTEnumEx delivers (null entries, no array), every name, CLSID, activation,
// attribute store, output type and input type, each call's status (successes other than S_OK
// included), success without an object, error information on the thread and the system's texts.
// Whatever the platform does, the run ends with a report of the documented shape or exactly one
// message, both valid UTF-8; COM and Media Foundation are each started and stopped once, in
// order; and the ledger shows every reference released exactly once, every Media Foundation
// object before MFShutdown, and every block of platform memory freed.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encoder_world.h"
#include "fuzz_check.h"
#include "fuzz_text.h"
#include "platform/media_foundation_guids.h"
#include "platform/wide_text.h"
#include "remote/webrtc/output_attributes.h"
#include "remote/webrtc/run_probe.h"
#include "report/pretty_json.h"
#include "scripted_world.h"

namespace {

namespace mf = velkaron::probe::mf;
namespace world = velkaron::test_support::world;
using velkaron::report::JsonValue;
using velkaron::report::ReportObject;

constexpr std::size_t kMaxEncoders = 6;
constexpr std::size_t kMaxInputTypes = 12;

class Decoder {
 public:
  explicit Decoder(FuzzedDataProvider& input) : input_(input) {}

  // True one time in `odds` (never once the input is used up).
  bool rarely(int odds) { return input_.ConsumeIntegralInRange<int>(1, odds) == odds; }

  // Mostly success (and success when the input is used up), else any status.
  HRESULT status() {
    if (!rarely(6)) return S_OK;
    constexpr HRESULT kStatuses[] = {S_FALSE,
                                     E_FAIL,
                                     E_NOTIMPL,
                                     E_OUTOFMEMORY,
                                     MF_E_INVALIDREQUEST,
                                     MF_E_NO_MORE_TYPES,
                                     MF_E_ATTRIBUTENOTFOUND,
                                     static_cast<HRESULT>(0x887A0005u),
                                     static_cast<HRESULT>(0xD0000022u),
                                     2};
    if (input_.ConsumeBool()) return input_.ConsumeIntegral<HRESULT>();
    return kStatuses[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(kStatuses) - 1)];
  }

  std::u16string units(std::size_t most) {
    constexpr char16_t kSpecial[] = {u' ', u'\n', u'"', u'\\', 0xD800, 0xDC00, 0, u'A', 0xE9};
    return velkaron::fuzz::units_from(input_, most, kSpecial);
  }

  // Error information's text, sometimes absent.
  std::optional<std::u16string> text() {
    if (rarely(4)) return std::nullopt;
    return units(12);
  }

  // A status, with error information left on the thread by a failure; or no object.
  world::Answer answer(bool may_deliver_none = false) {
    if (may_deliver_none && rarely(8)) return world::no_object();
    world::Answer made{status(), std::nullopt, false};
    if (made.failed() && input_.ConsumeBool()) {
      made.error = world::ErrorText{text(), input_.ConsumeBool(), text(), text()};
    }
    return made;
  }

  GUID guid() {
    GUID value{};
    value.Data1 = input_.ConsumeIntegral<std::uint32_t>();
    value.Data2 = input_.ConsumeIntegral<std::uint16_t>();
    value.Data3 = input_.ConsumeIntegral<std::uint16_t>();
    for (auto& byte : value.Data4) byte = input_.ConsumeIntegral<std::uint8_t>();
    return value;
  }

  GUID subtype() {
    const GUID kKnown[] = {mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2, mf::MFVideoFormat_RGB32,
                           mf::MFVideoFormat_ARGB32, mf::MFVideoFormat_H264};
    if (rarely(4)) return guid();
    return kKnown[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(kKnown) - 1)];
  }

  world::Encoder encoder() {
    world::Encoder made;
    if (rarely(8)) return world::null_entry();
    if (!rarely(8)) {
      constexpr std::u16string_view kNames[] = {u"NVIDIA H.264 Encoder MFT",
                                                u"Intel\u00AE Quick Sync Video H.264 Encoder MFT",
                                                u"AMDh264Encoder", u"Microsoft H264 Encoder"};
      std::u16string name = input_.ConsumeBool()
                                ? std::u16string(kNames[input_.ConsumeIntegralInRange<int>(0, 3)])
                                : units(24);
      std::optional<UINT32> reported;
      if (rarely(6)) reported = input_.ConsumeIntegral<UINT32>();
      made.name = world::Text{std::move(name), reported};
    }
    made.name_read = answer();
    if (!rarely(8)) made.clsid = guid();
    made.clsid_read = answer();
    made.activation = answer(true);
    made.shutdown_object = answer();
    made.attributes = answer(true);
    if (!rarely(4)) made.async = input_.ConsumeIntegralInRange<UINT32>(0, 2);
    made.async_read = answer();
    made.unlock = answer();
    made.set_output = answer();
    const std::size_t types = input_.ConsumeIntegralInRange<std::size_t>(0, kMaxInputTypes);
    for (std::size_t i = 0; i < types; ++i) {
      world::InputType type{subtype(), {status(), std::nullopt, false}, {}};
      if (rarely(8)) type.subtype_read = world::fails(MF_E_ATTRIBUTENOTFOUND);
      if (rarely(10)) type.offer = rarely(2) ? world::no_object() : world::fails(status());
      made.inputs.push_back(type);
    }
    if (rarely(8)) made.inputs_end = answer(true);
    return made;
  }

  world::World encoder_world() {
    world::World made;
    made.startup = answer();
    made.shutdown = answer();
    made.enumeration = answer();
    made.count_without_array = rarely(10);
    const std::size_t count = input_.ConsumeIntegralInRange<std::size_t>(0, kMaxEncoders);
    for (std::size_t i = 0; i < count; ++i) made.encoders.push_back(encoder());
    made.media_type = answer(true);
    for (const auto& attribute : velkaron::probe::kOutputAttributes) {
      if (rarely(16)) made.output_type_refuses.emplace_back(attribute.key, answer());
    }
    return made;
  }

  // The system's texts: none, a fixed one, or any.
  std::optional<std::u16string> system_text() {
    switch (input_.ConsumeIntegralInRange<int>(0, 2)) {
      case 0:
        return std::nullopt;
      case 1:
        return u"Call failed.\r\n";
      default:
        return units(16);
    }
  }

  std::optional<std::string> selector() {
    if (!input_.ConsumeBool()) return std::nullopt;
    // The command line's words are decoded strictly: a selector is always UTF-8.
    if (input_.ConsumeBool()) return velkaron::platform::decode_utf16_lossy(units(12));
    constexpr std::string_view kSelectors[] = {"nvidia", " Intel ",  "amd",      "unknown",
                                               "",       "12345678", "microsoft"};
    return std::string(
        kSelectors[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(kSelectors) - 1)]);
  }

 private:
  FuzzedDataProvider& input_;
};

bool valid_utf8(std::string_view text) {
  const nlohmann::json as_string = std::string(text);
  try {
    (void)as_string.dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

std::size_t count_of(const std::vector<std::string>& calls, std::string_view call) {
  std::size_t found = 0;
  for (const std::string& made : calls) found += made == call ? 1 : 0;
  return found;
}

void check_report(const JsonValue& report, const std::optional<std::string>& selector) {
  const auto* members = std::get_if<ReportObject>(&report.storage());
  FUZZ_CHECK(members != nullptr);
  const std::string rendered = velkaron::report::to_pretty_json(report);
  const nlohmann::json parsed = nlohmann::json::parse(rendered, nullptr, false);
  FUZZ_CHECK(!parsed.is_discarded());
  FUZZ_CHECK(parsed.size() == 5);
  FUZZ_CHECK(parsed.at("ok") == true);
  FUZZ_CHECK(parsed.at("mftFriendlyName").is_string());
  FUZZ_CHECK(parsed.at("mftClsid").is_string());
  if (selector) {
    FUZZ_CHECK(parsed.at("mftSelector") == *selector);
  } else {
    FUZZ_CHECK(parsed.at("mftSelector").is_null());
  }
  const nlohmann::json& entries = parsed.at("entries");
  FUZZ_CHECK(entries.is_array() && entries.size() <= kMaxInputTypes);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    FUZZ_CHECK(entries[i].size() == 3);
    FUZZ_CHECK(entries[i].at("index") == i);
    FUZZ_CHECK(entries[i].at("label").is_string());
    FUZZ_CHECK(entries[i].at("subtype").get<std::string>().size() == 36);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Decoder decoder(input);
  const HRESULT co_initialize = decoder.status();
  const world::World encoders = decoder.encoder_world();
  const std::optional<std::u16string> system_text = decoder.system_text();
  const std::optional<std::string> selector = decoder.selector();

  velkaron::test_support::ScriptedPlatform platform;
  velkaron::test_support::play(platform, encoders);
  platform.script().co_initialize_ex = [co_initialize] { return co_initialize; };
  platform.script().system_message = [&system_text](DWORD, bool) { return system_text; };

  const velkaron::probe::ProbeOutcome outcome = velkaron::probe::run_probe(selector);

  if (outcome) {
    check_report(*outcome, selector);
  } else {
    if (!valid_utf8(outcome.error())) std::fprintf(stderr, "%s\n", outcome.error().c_str());
    FUZZ_CHECK(!outcome.error().empty());
    FUZZ_CHECK(valid_utf8(outcome.error()));
  }

  const std::vector<std::string> calls = platform.ledger().calls;
  FUZZ_CHECK(count_of(calls, "CoInitializeEx") == 1);
  const bool com = co_initialize >= 0;
  const bool media_foundation = com && !encoders.startup.failed();
  FUZZ_CHECK(count_of(calls, "MFStartup") == (com ? 1u : 0u));
  FUZZ_CHECK(count_of(calls, "CoUninitialize") == (com ? 1u : 0u));
  FUZZ_CHECK(count_of(calls, "MFShutdown") == (media_foundation ? 1u : 0u));

  // Error information that no failure picked up is the script's, not the probe's, to release.
  IErrorInfo* left = nullptr;
  if (GetErrorInfo(0, &left) == S_OK && left != nullptr) left->Release();

  const ::testing::AssertionResult released = platform.released_exactly_once_before_shutdown();
  if (!released) std::fprintf(stderr, "%s\n", released.message());
  FUZZ_CHECK(released);
  return 0;
}
