#include <gtest/gtest.h>

#include "platform/Com.h"

namespace {

struct ElementCase {
  VARTYPE vt;
  UINT size;
};
void PrintTo(const ElementCase& c, std::ostream* os) {
  *os << "vt " << c.vt;
}

class SafeArrayElements : public testing::TestWithParam<ElementCase> {};

TEST_P(SafeArrayElements, VectorHasBoundsSizeAndZeroedData) {
  const auto [vt, size] = GetParam();
  SAFEARRAY* array = SafeArrayCreateVector(vt, -2, 5);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  EXPECT_EQ(SafeArrayGetElemsize(array), size);
  VARTYPE type = 0;
  ASSERT_EQ(SafeArrayGetVartype(array, &type), S_OK);
  EXPECT_EQ(type, vt);
  LONG lower = 0, upper = 0;
  EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(lower, -2);
  EXPECT_EQ(upper, 2);
  EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayGetUBound(array, 0, &upper), DISP_E_BADINDEX);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (UINT i = 0; i < 5 * size; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Types, SafeArrayElements,
                         testing::Values(ElementCase{VT_UI1, 1}, ElementCase{VT_I2, 2}, ElementCase{VT_I4, 4},
                                         ElementCase{VT_R8, 8}, ElementCase{VT_BSTR, sizeof(BSTR)}));

TEST(SafeArray, UnsupportedTypesAndShapesGiveNull) {
  SAFEARRAYBOUND bound{3, 0};
  EXPECT_EQ(SafeArrayCreate(VT_EMPTY, 1, &bound), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_UI1, 0, &bound), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_UI1, 1, nullptr), nullptr);
  SAFEARRAYBOUND huge[2] = {{0x10000, 0}, {0x10000, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_R8, 2, huge), nullptr);
}

TEST(SafeArray, LockedArrayIsNotDestroyed) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 4);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, ElementsOutsideBoundsAreRefused) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_I2, 1, 3);
  SHORT value = 7;
  for (LONG index : {0, 4, -1}) {
    EXPECT_EQ(SafeArrayPutElement(array, &index, &value), DISP_E_BADINDEX) << index;
    EXPECT_EQ(SafeArrayGetElement(array, &index, &value), DISP_E_BADINDEX) << index;
  }
  LONG last = 3;
  ASSERT_EQ(SafeArrayPutElement(array, &last, &value), S_OK);
  void* data = nullptr;
  SafeArrayAccessData(array, &data);
  EXPECT_EQ(static_cast<SHORT*>(data)[2], 7);
  SafeArrayUnaccessData(array);
  SafeArrayDestroy(array);
}

TEST(Variant, CopyDuplicatesStringsAndArraysAndClearFreesThem) {
  VARIANT text, bytes, copy;
  VariantInit(&text);
  VariantInit(&bytes);
  VariantInit(&copy);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(u"нота");
  bytes.vt = VT_ARRAY | VT_UI1;
  bytes.parray = SafeArrayCreateVector(VT_UI1, 0, 3);
  LONG index = 2;
  BYTE value = 0xAB;
  SafeArrayPutElement(bytes.parray, &index, &value);

  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_EQ(std::u16string(copy.bstrVal), u"нота");
  // Copying over a string frees it first (a leak would show in the sanitizer build).
  ASSERT_EQ(VariantCopy(&copy, &bytes), S_OK);
  EXPECT_EQ(copy.vt, VT_ARRAY | VT_UI1);
  EXPECT_NE(copy.parray, bytes.parray);
  BYTE read = 0;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &read), S_OK);
  EXPECT_EQ(read, 0xAB);

  for (VARIANT* v : {&text, &bytes, &copy}) {
    EXPECT_EQ(VariantClear(v), S_OK);
    EXPECT_EQ(v->vt, VT_EMPTY);
  }
}

TEST(Variant, ClearRefusesLockedArrayAndUnknownType) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_UI1;
  v.parray = SafeArrayCreateVector(VT_UI1, 0, 1);
  void* data = nullptr;
  SafeArrayAccessData(v.parray, &data);
  EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(v.vt, VT_ARRAY | VT_UI1);
  SafeArrayUnaccessData(v.parray);
  EXPECT_EQ(VariantClear(&v), S_OK);
  v.vt = 0x7F;
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
}

}  // namespace
