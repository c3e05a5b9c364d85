// Variants and safe arrays. A safe array is one block: a 16-byte prefix that
// holds the element type, then the descriptor with one bound per dimension
// (stored last dimension first, as the platform does); the data is a second
// block. Elements are laid out with the first index varying fastest.
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Com.h"

namespace {

constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr size_t kPrefix = 16;
// Keeps every size computation far from overflow.
constexpr size_t kMaxDataBytes = size_t{1} << 31;

ULONG ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_BOOL:
      return 2;
    case VT_I4:
      return 4;
    case VT_R8:
      return 8;
    case VT_BSTR:
      return sizeof(BSTR);
    case VT_UNKNOWN:
      return sizeof(IUnknown*);
    default:
      return 0;
  }
}

VARTYPE& TypeOf(SAFEARRAY* array) {
  return *reinterpret_cast<VARTYPE*>(reinterpret_cast<char*>(array) - kPrefix);
}

SAFEARRAYBOUND* Bounds(SAFEARRAY* array) {
  return reinterpret_cast<SAFEARRAYBOUND*>(reinterpret_cast<char*>(array) + offsetof(SAFEARRAY, rgsabound));
}

// Bound of dimension dim (1 = first).
SAFEARRAYBOUND& BoundOf(SAFEARRAY* array, UINT dim) {
  return Bounds(array)[array->cDims - dim];
}

size_t ElementCount(SAFEARRAY* array) {
  size_t count = 1;
  for (UINT d = 1; d <= array->cDims; ++d) count *= BoundOf(array, d).cElements;
  return count;
}

// The element's byte offset, or false when an index is out of bounds.
bool ElementOffset(SAFEARRAY* array, const LONG* indices, size_t& offset) {
  size_t index = 0;
  size_t stride = 1;
  for (UINT d = 1; d <= array->cDims; ++d) {
    const SAFEARRAYBOUND& bound = BoundOf(array, d);
    const int64_t relative = int64_t{indices[d - 1]} - bound.lLbound;
    if (relative < 0 || relative >= int64_t{bound.cElements}) return false;
    index += static_cast<size_t>(relative) * stride;
    stride *= bound.cElements;
  }
  offset = index * array->cbElements;
  return true;
}

// Frees the strings or releases the interfaces an array owns.
void ReleaseElements(SAFEARRAY* array) {
  const size_t count = ElementCount(array);
  if (array->fFeatures & FADF_BSTR) {
    auto* items = static_cast<BSTR*>(array->pvData);
    for (size_t i = 0; i < count; ++i) SysFreeString(items[i]);
  } else if (array->fFeatures & FADF_UNKNOWN) {
    auto* items = static_cast<IUnknown**>(array->pvData);
    for (size_t i = 0; i < count; ++i) {
      if (items[i]) items[i]->Release();
    }
  }
}

BSTR CopyString(BSTR text) {
  return text ? SysAllocStringByteLen(reinterpret_cast<const char*>(text), SysStringByteLen(text)) : nullptr;
}

bool IsKnownType(VARTYPE vt) {
  if (vt & VT_ARRAY) return ElementSize(vt & ~VT_ARRAY) != 0;
  return vt == VT_EMPTY || vt == VT_NULL || ElementSize(vt) != 0;
}

}  // namespace

extern "C" {

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds) {
  const ULONG size = ElementSize(vt);
  if (size == 0 || dims == 0 || dims > 0xFFFF || !bounds) return nullptr;
  size_t bytes = size;
  for (UINT d = 0; d < dims; ++d) {
    if (bounds[d].cElements && bytes > kMaxDataBytes / bounds[d].cElements) return nullptr;
    bytes *= bounds[d].cElements;
  }
  char* block =
      static_cast<char*>(std::calloc(1, kPrefix + offsetof(SAFEARRAY, rgsabound) + dims * sizeof(SAFEARRAYBOUND)));
  if (!block) return nullptr;
  auto* array = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
  array->pvData = std::calloc(bytes ? bytes : 1, 1);
  if (!array->pvData) {
    std::free(block);
    return nullptr;
  }
  TypeOf(array) = vt;
  array->cDims = static_cast<USHORT>(dims);
  array->fFeatures = FADF_HAVEVARTYPE | (vt == VT_BSTR ? FADF_BSTR : 0) | (vt == VT_UNKNOWN ? FADF_UNKNOWN : 0);
  array->cbElements = size;
  for (UINT d = 1; d <= dims; ++d) BoundOf(array, d) = bounds[d - 1];
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  SAFEARRAYBOUND bound{elements, lowerBound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (!array) return S_OK;
  if (__atomic_load_n(&array->cLocks, __ATOMIC_SEQ_CST) != 0) return DISP_E_ARRAYISLOCKED;
  ReleaseElements(array);
  std::free(array->pvData);
  std::free(reinterpret_cast<char*>(array) - kPrefix);
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
  if (!copy) return E_INVALIDARG;
  *copy = nullptr;
  if (!array) return S_OK;
  const VARTYPE vt = TypeOf(array);
  SAFEARRAYBOUND bounds[16];
  SAFEARRAYBOUND* all = array->cDims <= 16 ? bounds : new (std::nothrow) SAFEARRAYBOUND[array->cDims];
  if (!all) return E_OUTOFMEMORY;
  for (UINT d = 1; d <= array->cDims; ++d) all[d - 1] = BoundOf(array, d);
  SAFEARRAY* result = SafeArrayCreate(vt, array->cDims, all);
  if (all != bounds) delete[] all;
  if (!result) return E_OUTOFMEMORY;
  const size_t count = ElementCount(array);
  if (vt == VT_BSTR) {
    auto* from = static_cast<BSTR*>(array->pvData);
    auto* to = static_cast<BSTR*>(result->pvData);
    for (size_t i = 0; i < count; ++i) {
      to[i] = CopyString(from[i]);
      if (from[i] && !to[i]) {
        SafeArrayDestroy(result);
        return E_OUTOFMEMORY;
      }
    }
  } else {
    std::memcpy(result->pvData, array->pvData, count * array->cbElements);
    if (vt == VT_UNKNOWN) {
      auto* items = static_cast<IUnknown**>(result->pvData);
      for (size_t i = 0; i < count; ++i) {
        if (items[i]) items[i]->AddRef();
      }
    }
  }
  *copy = result;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) {
  return array ? array->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* array) {
  return array ? array->cbElements : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (!array || !vt) return E_INVALIDARG;
  *vt = TypeOf(array);
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  *bound = BoundOf(array, dim).lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = BoundOf(array, dim);
  *bound = static_cast<LONG>(int64_t{b.lLbound} + b.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (!array || !data) return E_INVALIDARG;
  __atomic_add_fetch(&array->cLocks, 1, __ATOMIC_SEQ_CST);
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  ULONG locks = __atomic_load_n(&array->cLocks, __ATOMIC_SEQ_CST);
  do {
    if (locks == 0) return E_UNEXPECTED;
  } while (!__atomic_compare_exchange_n(&array->cLocks, &locks, locks - 1, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST));
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (!array || !indices || !value) return E_INVALIDARG;
  size_t offset = 0;
  if (!ElementOffset(array, indices, offset)) return DISP_E_BADINDEX;
  const char* item = static_cast<const char*>(array->pvData) + offset;
  if (array->fFeatures & FADF_BSTR) {
    BSTR text = *reinterpret_cast<const BSTR*>(item);
    BSTR copy = CopyString(text);
    if (text && !copy) return E_OUTOFMEMORY;
    *static_cast<BSTR*>(value) = copy;
  } else if (array->fFeatures & FADF_UNKNOWN) {
    IUnknown* unknown = *reinterpret_cast<IUnknown* const*>(item);
    if (unknown) unknown->AddRef();
    *static_cast<IUnknown**>(value) = unknown;
  } else {
    std::memcpy(value, item, array->cbElements);
  }
  return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (!array || !indices) return E_INVALIDARG;
  size_t offset = 0;
  if (!ElementOffset(array, indices, offset)) return DISP_E_BADINDEX;
  char* item = static_cast<char*>(array->pvData) + offset;
  if (array->fFeatures & FADF_BSTR) {
    // value is the string itself.
    BSTR copy = CopyString(static_cast<BSTR>(value));
    if (value && !copy) return E_OUTOFMEMORY;
    BSTR& slot = *reinterpret_cast<BSTR*>(item);
    SysFreeString(slot);
    slot = copy;
  } else if (array->fFeatures & FADF_UNKNOWN) {
    // value is the interface pointer itself.
    auto* unknown = static_cast<IUnknown*>(value);
    if (unknown) unknown->AddRef();
    IUnknown*& slot = *reinterpret_cast<IUnknown**>(item);
    if (slot) slot->Release();
    slot = unknown;
  } else {
    if (!value) return E_INVALIDARG;
    std::memcpy(item, value, array->cbElements);
  }
  return S_OK;
}

void VariantInit(VARIANT* v) {
  if (!v) return;
  std::memset(v, 0, sizeof *v);
  v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (!IsKnownType(v->vt)) return DISP_E_BADVARTYPE;
  if (v->vt & VT_ARRAY) {
    const HRESULT hr = SafeArrayDestroy(v->parray);
    if (FAILED(hr)) return hr;
  } else if (v->vt == VT_BSTR) {
    SysFreeString(v->bstrVal);
  } else if (v->vt == VT_UNKNOWN && v->punkVal) {
    v->punkVal->Release();
  }
  v->vt = VT_EMPTY;
  v->dblVal = 0;
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (dest == src) return S_OK;
  if (!IsKnownType(src->vt)) return DISP_E_BADVARTYPE;
  const HRESULT cleared = VariantClear(dest);
  if (FAILED(cleared)) return cleared;
  VARIANT copy = *src;
  if (src->vt & VT_ARRAY) {
    const HRESULT hr = SafeArrayCopy(src->parray, &copy.parray);
    if (FAILED(hr)) return hr;
  } else if (src->vt == VT_BSTR) {
    copy.bstrVal = CopyString(src->bstrVal);
    if (src->bstrVal && !copy.bstrVal) return E_OUTOFMEMORY;
  } else if (src->vt == VT_UNKNOWN && src->punkVal) {
    src->punkVal->AddRef();
  }
  *dest = copy;
  return S_OK;
}

}  // extern "C"
