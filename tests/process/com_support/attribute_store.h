#pragma once

// IMFAttributes for the fixtures' objects (activation objects, a transform's
// attribute store, media types): the typed getters and setters that the probe
// uses work on a real store; every other method says E_NOTIMPL. A key can be
// scripted to fail, with or without error information. Every call is recorded.

#include <mfobjects.h>
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <variant>

#include "caller_memory.h"
#include "error_information.h"
#include "known_guids.h"
#include "tracked_object.h"

namespace velkaron::wine_test {

inline constexpr HRESULT kAttributeNotFound = static_cast<HRESULT>(0xC00D36E6);
inline constexpr HRESULT kAttributeInvalidType = static_cast<HRESULT>(0xC00D36BC);

using AttributeValue = std::variant<UINT32, UINT64, GUID, world::Text>;

template <class Interface>
class AttributeStore : public TrackedObject<Interface> {
 public:
  using TrackedObject<Interface>::TrackedObject;

  void store(const GUID& key, AttributeValue value) { values_[key] = std::move(value); }
  void fail_key(const GUID& key, const world::Answer& failure) {
    if (failure.failed()) failures_[key] = failure;
  }
  // The value last stored under the key, if any.
  const AttributeValue* stored(const GUID& key) const {
    auto found = values_.find(key);
    return found == values_.end() ? nullptr : &found->second;
  }

  HRESULT STDMETHODCALLTYPE GetUINT32(REFGUID key, UINT32* value) override {
    return get_as<UINT32>("GetUINT32", key, value);
  }
  HRESULT STDMETHODCALLTYPE GetUINT64(REFGUID key, UINT64* value) override {
    return get_as<UINT64>("GetUINT64", key, value);
  }
  HRESULT STDMETHODCALLTYPE GetGUID(REFGUID key, GUID* value) override {
    return get_as<GUID>("GetGUID", key, value);
  }
  HRESULT STDMETHODCALLTYPE GetAllocatedString(REFGUID key, LPWSTR* text, UINT32* length) override {
    if (!this->alive("GetAllocatedString")) return E_UNEXPECTED;
    const std::string call = "GetAllocatedString(" + guid_name(key) + ")";
    if (text == nullptr || length == nullptr) return recorded(call, E_POINTER);
    *text = nullptr;
    *length = 0;
    const world::Text* wide = nullptr;
    if (const HRESULT status = lookup(key, wide); FAILED(status)) return recorded(call, status);
    const std::size_t bytes = (wide->units.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(allocate_for_caller(bytes, "allocated-string"));
    if (copy == nullptr) return recorded(call, E_OUTOFMEMORY);
    wide->units.copy(reinterpret_cast<char16_t*>(copy), wide->units.size());
    copy[wide->units.size()] = L'\0';
    *text = copy;
    *length = wide->reported.value_or(static_cast<UINT32>(wide->units.size()));
    return recorded(call, S_OK);
  }

  HRESULT STDMETHODCALLTYPE SetUINT32(REFGUID key, UINT32 value) override {
    return set_as("SetUINT32", key, value);
  }
  HRESULT STDMETHODCALLTYPE SetUINT64(REFGUID key, UINT64 value) override {
    return set_as("SetUINT64", key, value);
  }
  HRESULT STDMETHODCALLTYPE SetGUID(REFGUID key, REFGUID value) override {
    return set_as("SetGUID", key, GUID(value));
  }

  HRESULT STDMETHODCALLTYPE GetItem(REFGUID, PROPVARIANT*) override {
    return unsupported("GetItem");
  }
  HRESULT STDMETHODCALLTYPE GetItemType(REFGUID, MF_ATTRIBUTE_TYPE*) override {
    return unsupported("GetItemType");
  }
  HRESULT STDMETHODCALLTYPE CompareItem(REFGUID, REFPROPVARIANT, WINBOOL*) override {
    return unsupported("CompareItem");
  }
  HRESULT STDMETHODCALLTYPE Compare(IMFAttributes*, MF_ATTRIBUTES_MATCH_TYPE, WINBOOL*) override {
    return unsupported("Compare");
  }
  HRESULT STDMETHODCALLTYPE GetDouble(REFGUID, double*) override {
    return unsupported("GetDouble");
  }
  HRESULT STDMETHODCALLTYPE GetStringLength(REFGUID, UINT32*) override {
    return unsupported("GetStringLength");
  }
  HRESULT STDMETHODCALLTYPE GetString(REFGUID, LPWSTR, UINT32, UINT32*) override {
    return unsupported("GetString");
  }
  HRESULT STDMETHODCALLTYPE GetBlobSize(REFGUID, UINT32*) override {
    return unsupported("GetBlobSize");
  }
  HRESULT STDMETHODCALLTYPE GetBlob(REFGUID, UINT8*, UINT32, UINT32*) override {
    return unsupported("GetBlob");
  }
  HRESULT STDMETHODCALLTYPE GetAllocatedBlob(REFGUID, UINT8**, UINT32*) override {
    return unsupported("GetAllocatedBlob");
  }
  HRESULT STDMETHODCALLTYPE GetUnknown(REFGUID, REFIID, LPVOID*) override {
    return unsupported("GetUnknown");
  }
  HRESULT STDMETHODCALLTYPE SetItem(REFGUID, REFPROPVARIANT) override {
    return unsupported("SetItem");
  }
  HRESULT STDMETHODCALLTYPE DeleteItem(REFGUID) override { return unsupported("DeleteItem"); }
  HRESULT STDMETHODCALLTYPE DeleteAllItems() override { return unsupported("DeleteAllItems"); }
  HRESULT STDMETHODCALLTYPE SetDouble(REFGUID, double) override { return unsupported("SetDouble"); }
  HRESULT STDMETHODCALLTYPE SetString(REFGUID, LPCWSTR) override {
    return unsupported("SetString");
  }
  HRESULT STDMETHODCALLTYPE SetBlob(REFGUID, const UINT8*, UINT32) override {
    return unsupported("SetBlob");
  }
  HRESULT STDMETHODCALLTYPE SetUnknown(REFGUID, IUnknown*) override {
    return unsupported("SetUnknown");
  }
  HRESULT STDMETHODCALLTYPE LockStore() override { return unsupported("LockStore"); }
  HRESULT STDMETHODCALLTYPE UnlockStore() override { return unsupported("UnlockStore"); }
  HRESULT STDMETHODCALLTYPE GetCount(UINT32* count) override {
    if (!this->alive("GetCount")) return E_UNEXPECTED;
    if (count == nullptr) return recorded("GetCount", E_POINTER);
    *count = static_cast<UINT32>(values_.size());
    return recorded("GetCount = " + std::to_string(*count), S_OK);
  }
  HRESULT STDMETHODCALLTYPE GetItemByIndex(UINT32, GUID*, PROPVARIANT*) override {
    return unsupported("GetItemByIndex");
  }
  HRESULT STDMETHODCALLTYPE CopyAllItems(IMFAttributes*) override {
    return unsupported("CopyAllItems");
  }

 protected:
  HRESULT recorded(const std::string& call, HRESULT status) const {
    this->record_call(call, status);
    return status;
  }
  HRESULT unsupported(const char* method) const {
    if (!this->alive(method)) return E_UNEXPECTED;
    return recorded(method, E_NOTIMPL);
  }

 private:
  static std::string value_text(const AttributeValue& value) {
    if (const auto* number = std::get_if<UINT32>(&value)) return std::to_string(*number);
    if (const auto* number = std::get_if<UINT64>(&value)) return std::to_string(*number);
    if (const auto* guid = std::get_if<GUID>(&value)) return guid_name(*guid);
    return "<text>";
  }

  // The value of this type stored under the key, or the status a getter answers instead.
  template <class Value>
  HRESULT lookup(REFGUID key, const Value*& typed) const {
    if (auto failure = failures_.find(key); failure != failures_.end()) {
      return answer(failure->second);
    }
    auto found = values_.find(key);
    if (found == values_.end()) return kAttributeNotFound;
    typed = std::get_if<Value>(&found->second);
    return typed == nullptr ? kAttributeInvalidType : S_OK;
  }

  template <class Value>
  HRESULT get_as(const char* method, REFGUID key, Value* value) {
    if (!this->alive(method)) return E_UNEXPECTED;
    const std::string call = std::string(method) + "(" + guid_name(key) + ")";
    if (value == nullptr) return recorded(call, E_POINTER);
    const Value* typed = nullptr;
    if (const HRESULT status = lookup(key, typed); FAILED(status)) return recorded(call, status);
    *value = *typed;
    return recorded(call + " = " + value_text(*typed), S_OK);
  }

  HRESULT set_as(const char* method, REFGUID key, AttributeValue value) {
    if (!this->alive(method)) return E_UNEXPECTED;
    const std::string call =
        std::string(method) + "(" + guid_name(key) + ", " + value_text(value) + ")";
    if (auto failure = failures_.find(key); failure != failures_.end()) {
      return recorded(call, answer(failure->second));
    }
    values_[key] = std::move(value);
    return recorded(call, S_OK);
  }

  std::map<GUID, AttributeValue, GuidLess> values_;
  std::map<GUID, world::Answer, GuidLess> failures_;
};

}  // namespace velkaron::wine_test
