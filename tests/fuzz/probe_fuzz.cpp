// The whole probe on a scripted platform that the input writes: the frame's statuses, what
// MFTEnumEx delivers (null entries, null arrays), every name, CLSID, activation, attribute
// store, output type and input type, each call's status, success without an object, error
// information on the thread and the system's texts. Whatever the platform does, the run ends
// with a report of the documented shape or exactly one message, both valid UTF-8; COM and
// Media Foundation are each started and stopped once, in order; and the ledger shows every
// reference released exactly once, every Media Foundation object before MFShutdown, and every
// block of platform memory freed.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_text.h"
#include "platform/media_foundation_guids.h"
#include "platform/wide_text.h"
#include "remote/webrtc/run_probe.h"
#include "report/pretty_json.h"
#include "scripted_platform.h"

namespace {

namespace mf = velkaron::probe::mf;
using velkaron::report::JsonValue;
using velkaron::report::ReportObject;
using velkaron::test_support::ScriptedActivate;
using velkaron::test_support::ScriptedAttributeStore;
using velkaron::test_support::ScriptedErrorInfo;
using velkaron::test_support::ScriptedMediaType;
using velkaron::test_support::ScriptedPlatform;
using velkaron::test_support::ScriptedRestrictedErrorInfo;
using velkaron::test_support::ScriptedTransform;

constexpr std::size_t kMaxEncoders = 6;
constexpr std::size_t kMaxInputTypes = 12;

class Machine {
 public:
  explicit Machine(FuzzedDataProvider& input) : input_(input) {}

  // Mostly success (and success when the input is used up), else any status.
  HRESULT status() {
    if (input_.ConsumeIntegralInRange<int>(0, 5) != 5) return S_OK;
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
    if (input_.ConsumeIntegralInRange<int>(0, 3) == 3) return guid();
    return kKnown[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(kKnown) - 1)];
  }

  // An error-information object, or none.
  ScriptedErrorInfo* error_info() {
    if (!input_.ConsumeBool()) return nullptr;
    auto& info = platform.make<ScriptedErrorInfo>("error info " + std::to_string(++made_));
    if (input_.ConsumeBool()) info.description = units(12);
    if (input_.ConsumeBool()) {
      auto& restricted = platform.make<ScriptedRestrictedErrorInfo>("restricted error info " +
                                                                    std::to_string(made_));
      if (input_.ConsumeBool()) restricted.description = units(12);
      if (input_.ConsumeBool()) restricted.restricted_description = units(12);
      if (input_.ConsumeBool()) restricted.capability_sid = units(4);
      info.restricted = &restricted;
    }
    return &info;
  }

  // A scripted call that returns `result`, with error information put on the thread when it fails.
  std::function<HRESULT()> returning(HRESULT result) {
    ScriptedErrorInfo* info = result < 0 ? error_info() : nullptr;
    return [this, result, info] { return platform.fail_with(result, info); };
  }

  void attribute_failure(auto& attributes, const GUID& key) {
    if (const HRESULT result = status(); result != S_OK) attributes.fail(key, result);
  }

  ScriptedMediaType& media_type(const std::string& name) {
    auto& type = platform.make<ScriptedMediaType>(name);
    if (input_.ConsumeIntegralInRange<int>(0, 7) != 7) type.set(mf::MF_MT_SUBTYPE, subtype());
    attribute_failure(type, mf::MF_MT_SUBTYPE);
    return type;
  }

  ScriptedTransform& transform(const std::string& name) {
    auto& made = platform.make<ScriptedTransform>(name);
    made.get_attributes_status = status();
    if (input_.ConsumeIntegralInRange<int>(0, 7) != 7) {
      auto& store = platform.make<ScriptedAttributeStore>(name + " attributes");
      if (input_.ConsumeIntegralInRange<int>(0, 3) != 3) {
        store.set(mf::MF_TRANSFORM_ASYNC, input_.ConsumeIntegralInRange<UINT32>(0, 2));
      }
      attribute_failure(store, mf::MF_TRANSFORM_ASYNC);
      attribute_failure(store, mf::MF_TRANSFORM_ASYNC_UNLOCK);
      made.attributes = &store;
    }
    made.set_output_type_status = status();
    const std::size_t types = input_.ConsumeIntegralInRange<std::size_t>(0, kMaxInputTypes);
    for (std::size_t i = 0; i < types; ++i) {
      made.input_types.push_back(input_.ConsumeIntegralInRange<int>(0, 9) == 9
                                     ? nullptr
                                     : &media_type(name + " input " + std::to_string(i)));
    }
    if (input_.ConsumeIntegralInRange<int>(0, 7) == 7) made.end_status = status();
    if (input_.ConsumeIntegralInRange<int>(0, 7) == 7) {
      made.fail_at = input_.ConsumeIntegralInRange<DWORD>(0, kMaxInputTypes);
      made.fail_status = status();
    }
    return made;
  }

  ScriptedActivate* activation(std::size_t position) {
    if (input_.ConsumeIntegralInRange<int>(0, 7) == 7) return nullptr;
    const std::string name = "activate " + std::to_string(position);
    auto& made = platform.make<ScriptedActivate>(name);
    if (input_.ConsumeIntegralInRange<int>(0, 7) != 7) {
      constexpr std::u16string_view kNames[] = {u"NVIDIA H.264 Encoder MFT",
                                                u"Intel\u00AE Quick Sync Video H.264 Encoder MFT",
                                                u"AMDh264Encoder", u"Microsoft H264 Encoder"};
      std::u16string friendly =
          input_.ConsumeBool()
              ? std::u16string(kNames[input_.ConsumeIntegralInRange<std::size_t>(0, 3)])
              : units(24);
      std::optional<UINT32> reported;
      if (input_.ConsumeIntegralInRange<int>(0, 5) == 5)
        reported = input_.ConsumeIntegral<UINT32>();
      made.set(mf::MFT_FRIENDLY_NAME_Attribute, ScriptedActivate::Text{friendly, reported});
    }
    attribute_failure(made, mf::MFT_FRIENDLY_NAME_Attribute);
    if (input_.ConsumeIntegralInRange<int>(0, 7) != 7)
      made.set(mf::MFT_TRANSFORM_CLSID_Attribute, guid());
    attribute_failure(made, mf::MFT_TRANSFORM_CLSID_Attribute);
    made.activate_status = status();
    if (input_.ConsumeIntegralInRange<int>(0, 7) != 7)
      made.transform = &transform(name + " transform");
    return &made;
  }

  void script() {
    auto& script = platform.script();
    co_initialize_status = status();
    mf_startup_status = status();
    script.co_initialize_ex = returning(co_initialize_status);
    script.mf_startup = returning(mf_startup_status);
    script.mf_shutdown = returning(status());

    const auto enumeration = returning(status());
    enum class Array { Normal, Null, EmptyButAllocated };
    const auto array = static_cast<Array>(input_.ConsumeIntegralInRange<int>(0, 9) == 9
                                              ? input_.ConsumeIntegralInRange<int>(1, 2)
                                              : 0);
    std::vector<ScriptedActivate*> activates;
    const std::size_t count = input_.ConsumeIntegralInRange<std::size_t>(0, kMaxEncoders);
    for (std::size_t i = 0; i < count; ++i) activates.push_back(activation(i));
    script.mft_enum_ex = [enumeration, array, activates](IMFActivate*** out, UINT32* out_count) {
      const HRESULT result = enumeration();
      if (result < 0) return result;
      if (array == Array::Null) {
        *out_count = static_cast<UINT32>(activates.size());
        return result;
      }
      const std::size_t handed = array == Array::EmptyButAllocated ? 0 : activates.size();
      auto* slots = static_cast<IMFActivate**>(CoTaskMemAlloc((handed + 1) * sizeof(IMFActivate*)));
      for (std::size_t i = 0; i < handed; ++i) {
        slots[i] = activates[i] != nullptr ? activates[i]->hand_out() : nullptr;
      }
      *out = slots;
      *out_count = static_cast<UINT32>(handed);
      return result;
    };

    const HRESULT created = status();
    ScriptedMediaType* output = nullptr;
    if (input_.ConsumeIntegralInRange<int>(0, 7) != 7) {
      output = &platform.make<ScriptedMediaType>("output type");
      for (const GUID& key :
           {mf::MF_MT_MAJOR_TYPE, mf::MF_MT_SUBTYPE, mf::MF_MT_FRAME_SIZE, mf::MF_MT_FRAME_RATE,
            mf::MF_MT_AVG_BITRATE, mf::MF_MT_INTERLACE_MODE, mf::MF_MT_MPEG2_PROFILE}) {
        if (input_.ConsumeIntegralInRange<int>(0, 15) == 15) attribute_failure(*output, key);
      }
    }
    script.create_media_type = [created, output](IMFMediaType** type) {
      if (created < 0) return created;
      *type = output != nullptr ? output->hand_out() : nullptr;
      return created;
    };

    const int texts = input_.ConsumeIntegralInRange<int>(0, 2);
    const std::u16string text = texts == 2 ? units(16) : std::u16string(u"Call failed.\r\n");
    script.system_message = [texts, text](DWORD, bool) -> std::optional<std::u16string> {
      if (texts == 0) return std::nullopt;
      return text;
    };
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

  ScriptedPlatform platform;
  HRESULT co_initialize_status = S_OK;
  HRESULT mf_startup_status = S_OK;

 private:
  FuzzedDataProvider& input_;
  int made_ = 0;
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
  Machine machine(input);
  machine.script();
  const std::optional<std::string> selector = machine.selector();

  const velkaron::probe::ProbeOutcome outcome = velkaron::probe::run_probe(selector);

  if (outcome) {
    check_report(*outcome, selector);
  } else {
    if (!valid_utf8(outcome.error())) std::fprintf(stderr, "%s\n", outcome.error().c_str());
    FUZZ_CHECK(!outcome.error().empty());
    FUZZ_CHECK(valid_utf8(outcome.error()));
  }

  const std::vector<std::string> calls = machine.platform.ledger().calls;
  FUZZ_CHECK(count_of(calls, "CoInitializeEx") == 1);
  const bool com = machine.co_initialize_status >= 0;
  const bool media_foundation = com && machine.mf_startup_status >= 0;
  FUZZ_CHECK(count_of(calls, "MFStartup") == (com ? 1u : 0u));
  FUZZ_CHECK(count_of(calls, "CoUninitialize") == (com ? 1u : 0u));
  FUZZ_CHECK(count_of(calls, "MFShutdown") == (media_foundation ? 1u : 0u));

  // Error information that no failure picked up is the script's, not the probe's, to release.
  IErrorInfo* left = nullptr;
  if (GetErrorInfo(0, &left) == S_OK && left != nullptr) left->Release();

  const ::testing::AssertionResult released =
      machine.platform.released_exactly_once_before_shutdown();
  if (!released) std::fprintf(stderr, "%s\n", released.message());
  FUZZ_CHECK(released);
  return 0;
}
