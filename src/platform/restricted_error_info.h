#pragma once

// mingw-w64 ships no restrictederrorinfo.h, so the interface is declared here
// from its published definition. With MSVC the SDK header is used instead.

#if defined(_MSC_VER)
#include <restrictederrorinfo.h>
#else
#include <unknwn.h>

struct IRestrictedErrorInfo : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetErrorDetails(BSTR* description, HRESULT* error,
                                                    BSTR* restrictedDescription,
                                                    BSTR* capabilitySid) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetReference(BSTR* reference) = 0;
};
#endif
