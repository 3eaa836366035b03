#pragma once

// The slice of the Windows SDK that the probe uses, declared for systems that
// have no Windows. Names, signatures and meanings follow the SDK; interfaces
// declare only the methods the probe calls. Off Windows the product is linked
// only into test programs, which implement these functions with a scripted
// platform of their own.

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#include "platform/guid.h"

using HRESULT = std::int32_t;
using BOOL = int;
using UINT = unsigned int;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using UINT32 = std::uint32_t;
using UINT64 = std::uint64_t;
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using BSTR = WCHAR*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using HANDLE = void*;
struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT MF_E_INVALIDREQUEST = static_cast<HRESULT>(0xC00D36B2u);
inline constexpr HRESULT MF_E_NO_MORE_TYPES = static_cast<HRESULT>(0xC00D36B9u);
inline constexpr HRESULT MF_E_ATTRIBUTENOTFOUND = static_cast<HRESULT>(0xC00D36E6u);

inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr ULONG MF_VERSION = 0x20070;
inline constexpr DWORD MFSTARTUP_FULL = 0;
inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x800;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
inline constexpr DWORD LOAD_LIBRARY_SEARCH_DEFAULT_DIRS = 0x1000;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IErrorInfo : IUnknown {
  virtual HRESULT GetDescription(BSTR* description) = 0;

 protected:
  ~IErrorInfo() = default;
};

struct IRestrictedErrorInfo : IUnknown {
  virtual HRESULT GetErrorDetails(BSTR* description, HRESULT* error, BSTR* restrictedDescription,
                                  BSTR* capabilitySid) = 0;

 protected:
  ~IRestrictedErrorInfo() = default;
};

struct IMFAttributes : IUnknown {
  virtual HRESULT GetUINT32(REFGUID key, UINT32* value) = 0;
  virtual HRESULT GetGUID(REFGUID key, GUID* value) = 0;
  virtual HRESULT GetAllocatedString(REFGUID key, LPWSTR* value, UINT32* length) = 0;
  virtual HRESULT SetUINT32(REFGUID key, UINT32 value) = 0;
  virtual HRESULT SetUINT64(REFGUID key, UINT64 value) = 0;
  virtual HRESULT SetGUID(REFGUID key, REFGUID value) = 0;

 protected:
  ~IMFAttributes() = default;
};

struct IMFActivate : IMFAttributes {
  virtual HRESULT ActivateObject(REFIID iid, void** object) = 0;
  virtual HRESULT ShutdownObject() = 0;

 protected:
  ~IMFActivate() = default;
};

struct IMFMediaType : IMFAttributes {
 protected:
  ~IMFMediaType() = default;
};

struct IMFTransform : IUnknown {
  virtual HRESULT GetAttributes(IMFAttributes** attributes) = 0;
  virtual HRESULT GetInputAvailableType(DWORD input_stream, DWORD type_index,
                                        IMFMediaType** type) = 0;
  virtual HRESULT SetOutputType(DWORD output_stream, IMFMediaType* type, DWORD flags) = 0;

 protected:
  ~IMFTransform() = default;
};

enum MFT_ENUM_FLAG {
  MFT_ENUM_FLAG_HARDWARE = 0x00000004,
  MFT_ENUM_FLAG_SORTANDFILTER = 0x00000040,
};

struct MFT_REGISTER_TYPE_INFO {
  GUID guidMajorType;
  GUID guidSubtype;
};

HRESULT CoInitializeEx(LPVOID reserved, DWORD concurrency);
void CoUninitialize();
void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(LPVOID block);
HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
UINT SysStringLen(BSTR text);
void SysFreeString(BSTR text);

HRESULT MFStartup(ULONG version, DWORD flags);
HRESULT MFShutdown();
HRESULT MFTEnumEx(GUID category, UINT32 flags, const MFT_REGISTER_TYPE_INFO* input_type,
                  const MFT_REGISTER_TYPE_INFO* output_type, IMFActivate*** activates,
                  UINT32* count);
HRESULT MFCreateMediaType(IMFMediaType** type);

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD message_id, DWORD language_id,
                     LPWSTR buffer, DWORD size, va_list* arguments);
HMODULE LoadLibraryExA(LPCSTR file_name, HANDLE file, DWORD flags);
HANDLE GetProcessHeap();
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);
