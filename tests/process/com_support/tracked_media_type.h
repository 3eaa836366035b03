#pragma once

// A media type whose attributes are the scripted store's; the methods proper
// to IMFMediaType are not needed by the probe and say E_NOTIMPL.

#include <mfobjects.h>

#include "attribute_store.h"

namespace velkaron::wine_test {

class TrackedMediaType final : public AttributeStore<IMFMediaType> {
 public:
  explicit TrackedMediaType(std::string_view kind) : AttributeStore<IMFMediaType>(kind) {}

  HRESULT STDMETHODCALLTYPE GetMajorType(GUID*) override { return unsupported("GetMajorType"); }
  HRESULT STDMETHODCALLTYPE IsCompressedFormat(WINBOOL*) override {
    return unsupported("IsCompressedFormat");
  }
  HRESULT STDMETHODCALLTYPE IsEqual(IMFMediaType*, DWORD*) override {
    return unsupported("IsEqual");
  }
  HRESULT STDMETHODCALLTYPE GetRepresentation(GUID, LPVOID*) override {
    return unsupported("GetRepresentation");
  }
  HRESULT STDMETHODCALLTYPE FreeRepresentation(GUID, LPVOID) override {
    return unsupported("FreeRepresentation");
  }
};

}  // namespace velkaron::wine_test
