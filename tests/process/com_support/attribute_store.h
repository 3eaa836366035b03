#pragma once

// IMFAttributes for the fixtures' objects (activation objects, a transform's
// attribute store, media types): the typed getters and setters that the probe
// uses work on a real store; every other method says E_NOTIMPL. A key can be
// scripted to fail, with or without error information. Every call is recorded.

#include <mferror.h>
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

using AttributeValue = std::variant<UINT32, UINT64, GUID, world::Text>;

template <class Interface>
class AttributeStore : public TrackedObject<Interface> {
 public:
  using TrackedObject<Interface>::TrackedObject;

  void store(const GUID& key, AttributeValue value) { values_[key] = std::move(value); }
  void fail_key(const GUID& key, const world::Answer& failure) {
    if (failure.failed()) failures_[key] = failure;
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

  HRESULT STDMETHODCALLTYPE GetCount(UINT32* count) override {
    if (!this->alive("GetCount")) return E_UNEXPECTED;
    if (count == nullptr) return recorded("GetCount", E_POINTER);
    *count = static_cast<UINT32>(values_.size());
    return recorded("GetCount = " + std::to_string(*count), S_OK);
  }

  VELKARON_NOT_CALLED(GetItem, REFGUID, PROPVARIANT*);
  VELKARON_NOT_CALLED(GetItemType, REFGUID, MF_ATTRIBUTE_TYPE*);
  VELKARON_NOT_CALLED(CompareItem, REFGUID, REFPROPVARIANT, WINBOOL*);
  VELKARON_NOT_CALLED(Compare, IMFAttributes*, MF_ATTRIBUTES_MATCH_TYPE, WINBOOL*);
  VELKARON_NOT_CALLED(GetDouble, REFGUID, double*);
  VELKARON_NOT_CALLED(GetStringLength, REFGUID, UINT32*);
  VELKARON_NOT_CALLED(GetString, REFGUID, LPWSTR, UINT32, UINT32*);
  VELKARON_NOT_CALLED(GetBlobSize, REFGUID, UINT32*);
  VELKARON_NOT_CALLED(GetBlob, REFGUID, UINT8*, UINT32, UINT32*);
  VELKARON_NOT_CALLED(GetAllocatedBlob, REFGUID, UINT8**, UINT32*);
  VELKARON_NOT_CALLED(GetUnknown, REFGUID, REFIID, LPVOID*);
  VELKARON_NOT_CALLED(SetItem, REFGUID, REFPROPVARIANT);
  VELKARON_NOT_CALLED(DeleteItem, REFGUID);
  VELKARON_NOT_CALLED(DeleteAllItems);
  VELKARON_NOT_CALLED(SetDouble, REFGUID, double);
  VELKARON_NOT_CALLED(SetString, REFGUID, LPCWSTR);
  VELKARON_NOT_CALLED(SetBlob, REFGUID, const UINT8*, UINT32);
  VELKARON_NOT_CALLED(SetUnknown, REFGUID, IUnknown*);
  VELKARON_NOT_CALLED(LockStore);
  VELKARON_NOT_CALLED(UnlockStore);
  VELKARON_NOT_CALLED(GetItemByIndex, UINT32, GUID*, PROPVARIANT*);
  VELKARON_NOT_CALLED(CopyAllItems, IMFAttributes*);

 protected:
  using TrackedObject<Interface>::recorded;

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
    if (found == values_.end()) return MF_E_ATTRIBUTENOTFOUND;
    typed = std::get_if<Value>(&found->second);
    return typed == nullptr ? MF_E_INVALIDTYPE : S_OK;
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

// A media type is its attribute store; what IMFMediaType adds, the probe never calls.
class SdkMediaType final : public AttributeStore<IMFMediaType> {
 public:
  using AttributeStore<IMFMediaType>::AttributeStore;

  VELKARON_NOT_CALLED(GetMajorType, GUID*);
  VELKARON_NOT_CALLED(IsCompressedFormat, WINBOOL*);
  VELKARON_NOT_CALLED(IsEqual, IMFMediaType*, DWORD*);
  VELKARON_NOT_CALLED(GetRepresentation, GUID, LPVOID*);
  VELKARON_NOT_CALLED(FreeRepresentation, GUID, LPVOID);
};

}  // namespace velkaron::wine_test
