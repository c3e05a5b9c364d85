// The component runtime: IUnknown and friends, BSTR strings, variants and
// one-dimensional safe arrays, per-thread error information, apartment
// initialisation and object creation by class identifier.
#pragma once

#include "platform/Types.h"

#define DECLSPEC_NOVTABLE
#define STDMETHOD(name) virtual HRESULT STDMETHODCALLTYPE name
#define STDMETHOD_(type, name) virtual type STDMETHODCALLTYPE name

typedef OLECHAR* BSTR;

// Interfaces are abstract classes with no data and no virtual destructor, so
// their layout is a single table pointer with IUnknown's three slots first.
class IUnknown {
 public:
  STDMETHOD(QueryInterface)(REFIID riid, void** ppv) = 0;
  STDMETHOD_(ULONG, AddRef)() = 0;
  STDMETHOD_(ULONG, Release)() = 0;
};

class IClassFactory : public IUnknown {
 public:
  STDMETHOD(CreateInstance)(IUnknown* outer, REFIID riid, void** ppv) = 0;
  STDMETHOD(LockServer)(BOOL lock) = 0;
};

class ISupportErrorInfo : public IUnknown {
 public:
  STDMETHOD(InterfaceSupportsErrorInfo)(REFIID riid) = 0;
};

class IErrorInfo : public IUnknown {
 public:
  STDMETHOD(GetGUID)(GUID* guid) = 0;
  STDMETHOD(GetSource)(BSTR* source) = 0;
  STDMETHOD(GetDescription)(BSTR* description) = 0;
  STDMETHOD(GetHelpFile)(BSTR* helpFile) = 0;
  STDMETHOD(GetHelpContext)(DWORD* helpContext) = 0;
};

class ICreateErrorInfo : public IUnknown {
 public:
  STDMETHOD(SetGUID)(REFGUID guid) = 0;
  STDMETHOD(SetSource)(LPOLESTR source) = 0;
  STDMETHOD(SetDescription)(LPOLESTR description) = 0;
  STDMETHOD(SetHelpFile)(LPOLESTR helpFile) = 0;
  STDMETHOD(SetHelpContext)(DWORD helpContext) = 0;
};

// The platform's standard identifiers.
constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_ISupportErrorInfo = {0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr IID IID_IErrorInfo = {0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr IID IID_ICreateErrorInfo = {0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

// Server contexts accepted by CoCreateInstance (only in-process servers exist here).
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_SERVER = 0x15;
constexpr DWORD CLSCTX_ALL = 0x17;

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// Variant types.
enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_BOOL = 11,
  VT_UNKNOWN = 13,
  VT_UI1 = 17,
  VT_ARRAY = 0x2000,
};

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    BYTE bVal;
    SHORT iVal;
    LONG lVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    BSTR bstrVal;
    IUnknown* punkVal;
    SAFEARRAY* parray;
  };
};
typedef VARIANT VARIANTARG;

extern "C" {

// Apartments: counted per thread. CoInitializeEx returns S_OK for the first
// call on a thread, S_FALSE for further ones, RPC_E_CHANGED_MODE for a
// different model than the thread already has.
NVPLATFORM_API HRESULT CoInitializeEx(void* reserved, DWORD coInit);
NVPLATFORM_API HRESULT CoInitialize(void* reserved);
NVPLATFORM_API void CoUninitialize();

// Creates an object of a class registered under HKEY_CLASSES_ROOT\CLSID\{..}\InprocServer32.
// Returns CO_E_NOTINITIALIZED on a thread without CoInitializeEx,
// REGDB_E_CLASSNOTREG when the class is not registered, CO_E_DLLNOTFOUND when
// its module does not load, CO_E_ERRORINDLL when it lacks DllGetClassObject,
// else the factory's result. *ppv is null on failure.
NVPLATFORM_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv);
NVPLATFORM_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid, void** ppv);
// Finds HKEY_CLASSES_ROOT\<progId>\CLSID; CO_E_CLASSSTRING when absent or malformed.
NVPLATFORM_API HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; CO_E_CLASSSTRING on a malformed string.
NVPLATFORM_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
// Writes the 38-character braced upper-case form and its NUL; returns the
// characters written including the NUL, or 0 when max is below 39.
NVPLATFORM_API int StringFromGUID2(REFGUID guid, LPOLESTR out, int max);
// Unloads modules whose DllCanUnloadNow answers S_OK.
NVPLATFORM_API void CoFreeUnusedLibraries();

NVPLATFORM_API void* CoTaskMemAlloc(size_t size);
NVPLATFORM_API void CoTaskMemFree(void* p);

// BSTR: length-prefixed UTF-16 with a terminating NUL. Allocation failure or
// a null source (SysAllocString) returns null.
NVPLATFORM_API BSTR SysAllocString(const OLECHAR* text);
NVPLATFORM_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// `bytes` bytes of data (zeroed when data is null) followed by a NUL character.
NVPLATFORM_API BSTR SysAllocStringByteLen(const char* data, UINT bytes);
NVPLATFORM_API void SysFreeString(BSTR text);
NVPLATFORM_API UINT SysStringLen(BSTR text);
NVPLATFORM_API UINT SysStringByteLen(BSTR text);

// Variants and safe arrays (one or more dimensions of fixed-size elements).
// Supported element types: VT_UI1, VT_I2, VT_I4, VT_R8, VT_BOOL, VT_BSTR and
// VT_UNKNOWN; arrays of BSTR and IUnknown own their elements.
NVPLATFORM_API void VariantInit(VARIANT* v);
// Frees what the variant owns and leaves it VT_EMPTY; DISP_E_BADVARTYPE for an
// unknown type, DISP_E_ARRAYISLOCKED for an array still accessed (the variant
// then stays as it was).
NVPLATFORM_API HRESULT VariantClear(VARIANT* v);
// Clears dest, then copies src deeply (strings and arrays duplicated, interfaces
// referenced); on failure dest is VT_EMPTY.
NVPLATFORM_API HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Null on an unsupported element type, zero dimensions or allocation failure.
NVPLATFORM_API SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds);
NVPLATFORM_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
// DISP_E_ARRAYISLOCKED while the data is accessed; S_OK for null.
NVPLATFORM_API HRESULT SafeArrayDestroy(SAFEARRAY* array);
// A deep copy with the same type and bounds in *copy (null on failure).
NVPLATFORM_API HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);
NVPLATFORM_API UINT SafeArrayGetDim(SAFEARRAY* array);
NVPLATFORM_API UINT SafeArrayGetElemsize(SAFEARRAY* array);
NVPLATFORM_API HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
// dim counts from 1; DISP_E_BADINDEX outside 1..dims.
NVPLATFORM_API HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
NVPLATFORM_API HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
// Access pins the data (destroying then fails) until the matching Unaccess;
// E_UNEXPECTED for an Unaccess without Access.
NVPLATFORM_API HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
NVPLATFORM_API HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
// One index per dimension, first dimension first; DISP_E_BADINDEX outside the
// bounds. Get copies out (a new BSTR, an added reference); Put copies in.
NVPLATFORM_API HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value);
NVPLATFORM_API HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);

// Error information, one slot per thread. SetErrorInfo replaces the slot
// (null clears it); GetErrorInfo hands the slot's object to the caller and
// clears the slot, returning S_FALSE with *info null when there is none.
NVPLATFORM_API HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);
NVPLATFORM_API HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
NVPLATFORM_API HRESULT CreateErrorInfo(ICreateErrorInfo** info);

}  // extern "C"

// Exports of an in-process server.
typedef HRESULT (*LPFNGETCLASSOBJECT)(REFCLSID, REFIID, void**);
typedef HRESULT (*LPFNCANUNLOADNOW)();
typedef HRESULT (*LPFNREGISTERSERVER)();
