#pragma once

// Scripted COM objects for the substitute platform. Each object counts its
// references and writes every hand-out and release into the substitute's
// ledger, so a test can prove that each reference was released exactly once,
// and when. Objects live in a ScriptedPlatform arena for the whole test, so a
// call past the last release is recorded as a fault instead of touching freed
// memory.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "counted_object.h"
#include "encoder_world.h"
#include "platform/guid.h"
#include "substitute_platform.h"

namespace velkaron::test_support {

// Writes one call of a scripted object to the ledger, unless the ledger keeps
// the platform's free functions only (a measurement must not count our strings).
template <class... Parts>
void note(const Parts&... parts) {
  substitute::Ledger& ledger = substitute::ledger();
  if (!ledger.object_calls) return;
  std::string call;
  (call += ... += parts);
  ledger.record(std::move(call));
}

// The scripted platform's ledger: every reference taken and released, in order.
struct SubstituteLedger {
  static void referenced(const std::string& name) { note("AddRef ", name); }
  static void released(const std::string& name, ULONG) { note("Release ", name); }
  static void misused(const std::string& name, std::string_view method) {
    substitute::ledger().fault(std::string(method) + " of " + name + " without a reference");
  }
};

// Made with no reference: the platform call that delivers it gives the first.
template <class Interface>
class Scripted : public CountedObject<SubstituteLedger, Interface> {
 public:
  explicit Scripted(std::string name)
      : CountedObject<SubstituteLedger, Interface>(std::move(name), 0) {}

  // One reference for the caller, as a platform call that delivers this object.
  Interface* hand_out() {
    note("Acquire ", this->name());
    this->add_reference();
    return this;
  }
};

class ScriptedRestrictedErrorInfo : public Scripted<IRestrictedErrorInfo> {
 public:
  using Scripted::Scripted;

  std::optional<std::u16string> description;
  std::optional<std::u16string> restricted_description;
  std::optional<std::u16string> capability_sid;

  HRESULT GetErrorDetails(BSTR* plain, HRESULT* error, BSTR* restricted, BSTR* sid) override {
    note("GetErrorDetails ", name());
    *plain = description ? substitute::alloc_bstr(*description) : nullptr;
    *error = E_FAIL;
    *restricted =
        restricted_description ? substitute::alloc_bstr(*restricted_description) : nullptr;
    *sid = capability_sid ? substitute::alloc_bstr(*capability_sid) : nullptr;
    return S_OK;
  }
};

class ScriptedErrorInfo : public Scripted<IErrorInfo> {
 public:
  using Scripted::Scripted;

  std::optional<std::u16string> description;
  // What QueryInterface offers for IRestrictedErrorInfo: a separate object,
  // so that a test can script the two apart.
  ScriptedRestrictedErrorInfo* restricted = nullptr;

  HRESULT QueryInterface(REFIID iid, void** object) override {
    note("QueryInterface ", name());
    if (restricted == nullptr || !platform::same_guid(iid, kIidRestrictedErrorInfo)) {
      return Scripted::QueryInterface(iid, object);
    }
    *object = static_cast<IRestrictedErrorInfo*>(restricted->hand_out());
    return S_OK;
  }
  HRESULT GetDescription(BSTR* text) override {
    note("GetDescription ", name());
    *text = description ? substitute::alloc_bstr(*description) : nullptr;
    return S_OK;
  }
};

// What a scripted call answers: a status, and for a failure the error
// information it leaves on the thread first.
struct Status {
  // Implicit: a plain status is an answer that leaves no error information.
  Status(HRESULT status = S_OK, ScriptedErrorInfo* information = nullptr)
      : code(status), info(information) {}
  HRESULT code;
  ScriptedErrorInfo* info;

  bool failed() const { return code < 0; }
  HRESULT raise() const {
    if (info != nullptr) substitute::set_error_info(info->hand_out());
    return code;
  }
};

// An attribute store: values by key, and per key a status that a getter or
// setter returns instead of doing its work.
template <class Interface>
class ScriptedAttributes : public Scripted<Interface> {
 public:
  using Scripted<Interface>::Scripted;

  // Stored with a terminator appended; the length reported is units.size() unless given.
  using Text = world::Text;
  using Value = std::variant<UINT32, UINT64, GUID, Text>;

  std::vector<std::pair<GUID, Value>> values;
  std::vector<std::pair<GUID, Status>> failures;  // key -> answer of any call on it

  void set(const GUID& key, Value value) {
    for (auto& [k, v] : values) {
      if (platform::same_guid(k, key)) {
        v = std::move(value);
        return;
      }
    }
    values.emplace_back(key, std::move(value));
  }
  void fail(const GUID& key, Status status) { failures.emplace_back(key, status); }
  const Value* find(const GUID& key) const {
    for (const auto& [k, v] : values) {
      if (platform::same_guid(k, key)) return &v;
    }
    return nullptr;
  }

  HRESULT GetUINT32(REFGUID key, UINT32* value) override {
    record("GetUINT32", key);
    return get(key, value);
  }
  HRESULT GetGUID(REFGUID key, GUID* value) override {
    record("GetGUID", key);
    return get(key, value);
  }
  HRESULT GetAllocatedString(REFGUID key, LPWSTR* value, UINT32* length) override {
    record("GetAllocatedString", key);
    if (const auto status = failure(key)) return *status;
    const Value* stored = find(key);
    if (stored == nullptr || !std::holds_alternative<Text>(*stored)) return MF_E_ATTRIBUTENOTFOUND;
    const Text& text = std::get<Text>(*stored);
    *value = substitute::alloc_task_string(text.units);
    *length = text.reported.value_or(static_cast<UINT32>(text.units.size()));
    return S_OK;
  }
  HRESULT SetUINT32(REFGUID key, UINT32 value) override {
    record("SetUINT32", key, value);
    return store(key, Value(value));
  }
  HRESULT SetUINT64(REFGUID key, UINT64 value) override {
    record("SetUINT64", key, value);
    return store(key, Value(value));
  }
  HRESULT SetGUID(REFGUID key, REFGUID value) override {
    record("SetGUID", key, GUID(value));
    return store(key, Value(value));
  }

 private:
  // The call in the ledger: method, object, key and the value set, if any.
  template <class... Value>
  void record(const char* method, const GUID& key, const Value&... value) {
    if (!substitute::ledger().object_calls) return;
    note(method, " ", this->name(), " ", platform::guid_text(key), value_text(value)...);
  }
  // Appended rather than `" " + text`: that form trips GCC 12's -Wrestrict in optimised builds.
  static std::string value_text(std::string text) { return text.insert(0, 1, ' '); }
  static std::string value_text(UINT32 value) { return value_text(std::to_string(value)); }
  static std::string value_text(UINT64 value) { return value_text(std::to_string(value)); }
  static std::string value_text(const GUID& value) {
    return value_text(platform::guid_text(value));
  }
  std::optional<HRESULT> failure(const GUID& key) const {
    for (const auto& [k, status] : failures) {
      if (platform::same_guid(k, key)) return status.raise();
    }
    return std::nullopt;
  }
  template <class T>
  HRESULT get(const GUID& key, T* out) {
    if (const auto status = failure(key)) return *status;
    const Value* stored = find(key);
    if (stored == nullptr || !std::holds_alternative<T>(*stored)) return MF_E_ATTRIBUTENOTFOUND;
    *out = std::get<T>(*stored);
    return S_OK;
  }
  HRESULT store(const GUID& key, Value value) {
    if (const auto status = failure(key)) return *status;
    set(key, std::move(value));
    return S_OK;
  }
};

using ScriptedAttributeStore = ScriptedAttributes<IMFAttributes>;
using ScriptedMediaType = ScriptedAttributes<IMFMediaType>;

class ScriptedTransform : public Scripted<IMFTransform> {
 public:
  using Scripted::Scripted;

  // GetAttributes: the store handed out, or this answer; success with no store when null.
  Status get_attributes_status;
  ScriptedAttributeStore* attributes = nullptr;

  Status set_output_type_status;
  IMFMediaType* output_type = nullptr;  // what SetOutputType was given (not a reference)

  // GetInputAvailableType: what each index offers, all through `reused`, one media type handed
  // out again for every index; past the last, `end_status`. Asking for a type while the last
  // one is still held is a fault, so a walk provably holds one at a time.
  const std::vector<world::InputType>* offered = nullptr;
  ScriptedMediaType* reused = nullptr;
  Status end_status = MF_E_NO_MORE_TYPES;
  // By index: the error information a failed offer, or a failed subtype read, leaves.
  std::map<DWORD, ScriptedErrorInfo*> offer_errors;
  std::map<DWORD, ScriptedErrorInfo*> subtype_errors;

  HRESULT GetAttributes(IMFAttributes** store) override {
    note("GetAttributes ", name());
    if (get_attributes_status.failed()) return get_attributes_status.raise();
    *store = attributes != nullptr ? attributes->hand_out() : nullptr;
    return get_attributes_status.code;
  }
  HRESULT GetInputAvailableType(DWORD stream, DWORD index, IMFMediaType** type) override {
    if (substitute::ledger().object_calls) {
      note("GetInputAvailableType ", name(), " ", std::to_string(stream), " ",
           std::to_string(index));
    }
    if (reused != nullptr && reused->references() != 0) {
      substitute::ledger().fault("two input types held at once");
    }
    if (offered == nullptr || index >= offered->size()) return end_status.raise();
    const world::InputType& input = (*offered)[index];
    *type = nullptr;
    if (input.offer.failed()) return Status(input.offer.status, at(offer_errors, index)).raise();
    if (input.offer.no_object) return input.offer.status;
    reused->set(probe::mf::MF_MT_SUBTYPE, input.subtype);
    reused->failures.clear();
    if (input.subtype_read.status != S_OK) {
      reused->fail(probe::mf::MF_MT_SUBTYPE,
                   {input.subtype_read.status, at(subtype_errors, index)});
    }
    *type = reused->hand_out();
    return input.offer.status;
  }
  HRESULT SetOutputType(DWORD stream, IMFMediaType* type, DWORD flags) override {
    if (substitute::ledger().object_calls) {
      note("SetOutputType ", name(), " ", std::to_string(stream), " ", std::to_string(flags));
    }
    output_type = type;
    return set_output_type_status.raise();
  }

 private:
  static ScriptedErrorInfo* at(const std::map<DWORD, ScriptedErrorInfo*>& errors, DWORD index) {
    const auto found = errors.find(index);
    return found == errors.end() ? nullptr : found->second;
  }
};

class ScriptedActivate : public ScriptedAttributes<IMFActivate> {
 public:
  using ScriptedAttributes::ScriptedAttributes;

  Status activate_status;
  ScriptedTransform* transform = nullptr;  // null with a success status: no object delivered
  Status shutdown_object_status;

  // Like the platform, asks the new object for the interface the caller wants.
  HRESULT ActivateObject(REFIID iid, void** object) override {
    note("ActivateObject ", name());
    *object = nullptr;
    if (activate_status.failed()) return activate_status.raise();
    if (transform == nullptr) return activate_status.code;
    if (!transform->implements(iid)) return E_NOINTERFACE;
    *object = static_cast<IMFTransform*>(transform->hand_out());
    return activate_status.code;
  }
  HRESULT ShutdownObject() override {
    note("ShutdownObject ", name());
    return shutdown_object_status.raise();
  }
};

}  // namespace velkaron::test_support
