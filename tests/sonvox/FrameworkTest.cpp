#include <gtest/gtest.h>

#include <vector>

#include "CoFactory.h"
#include "ModelTestSupport.h"
#include "ModuleCounts.h"
#include "ServerEntryPoints.h"

namespace {

using nv::ComPtr;

LONG Objects() {
  return InterlockedRead(&nv::objectCount);
}

const nv::ClassEntry kTable[] = {
    {&CLSID_Note, &nv::CoFactory<nv::CNote>::GetClassObject, nullptr},
    {&CLSID_Melody, &nv::CoFactory<nv::CMelody>::GetClassObject, nullptr},
    {nullptr, nullptr, nullptr},
};

TEST(Framework, ReferencesAndModuleCountsFollowTheObjectsLifetime) {
  const LONG base = Objects();
  IMelody* melody = nvtest::NewMelody().detach();
  EXPECT_EQ(2u, melody->AddRef());
  EXPECT_EQ(1u, melody->Release());
  melody->InsertNote();
  melody->InsertRest();
  EXPECT_EQ(base + 3, Objects());  // the melody holds its two notes
  EXPECT_EQ(S_FALSE, nv::CanUnloadModule());
  EXPECT_EQ(0u, melody->Release());
  EXPECT_EQ(base, Objects());
  EXPECT_EQ(S_OK, nv::CanUnloadModule());
}

TEST(Framework, InterfacePartsShareOneIdentityAndAnswerErrorInfoForTheirClass) {
  auto melody = nvtest::NewMelody();
  ComPtr<IUnknown> identity;
  ASSERT_EQ(S_OK, melody->QueryInterface(IID_IUnknown, identity.putVoid()));
  for (const IID* iid : {&IID_IMelody, &IID_IChannel, &IID_IBlock, &IID_ISupportErrorInfo}) {
    ComPtr<IUnknown> part, again;
    ASSERT_EQ(S_OK, melody->QueryInterface(*iid, part.putVoid()));
    ASSERT_EQ(S_OK, part->QueryInterface(IID_IUnknown, again.putVoid()));
    EXPECT_EQ(identity.get(), again.get());
  }
  void* none = &none;
  EXPECT_EQ(E_NOINTERFACE, melody->QueryInterface(IID_INote1, &none));
  EXPECT_EQ(nullptr, none);
  EXPECT_EQ(E_POINTER, melody->QueryInterface(IID_IMelody, nullptr));

  ComPtr<ISupportErrorInfo> onMelody, onNote;
  ASSERT_EQ(S_OK, melody->QueryInterface(IID_ISupportErrorInfo, onMelody.putVoid()));
  ASSERT_EQ(S_OK, nvtest::NewNote()->QueryInterface(IID_ISupportErrorInfo, onNote.putVoid()));
  const struct {
    ISupportErrorInfo* object;
    const IID* iid;
    HRESULT want;
  } cases[] = {{onMelody.get(), &IID_IMelody, S_OK},
               {onMelody.get(), &IID_IChannel, S_OK},
               {onMelody.get(), &IID_IBlock, S_OK},
               {onMelody.get(), &IID_INote1, S_FALSE},
               {onMelody.get(), &IID_ISupportErrorInfo, S_FALSE},
               {onNote.get(), &IID_INote1, S_OK},
               {onNote.get(), &IID_IMelody, S_FALSE}};
  for (const auto& c : cases) EXPECT_EQ(c.want, c.object->InterfaceSupportsErrorInfo(*c.iid)) << c.iid->Data1;
}

TEST(Framework, FactoriesAreFoundByClassIdAndCountedWhileTheyOrLocksLive) {
  const LONG base = Objects();
  void* out = &out;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, nv::GetClassObjectFrom(kTable, CLSID_Sample, IID_IClassFactory, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(E_NOINTERFACE, nv::GetClassObjectFrom(kTable, CLSID_Melody, IID_IMelody, &out));
  EXPECT_EQ(base, Objects());

  ComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, nv::GetClassObjectFrom(kTable, CLSID_Melody, IID_IClassFactory, factory.putVoid()));
  auto outer = nvtest::NewNote();
  EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.get(), IID_IMelody, &out));
  EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_INote1, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(base + 2, Objects());  // the factory and the outer note
  ComPtr<IBlock> block;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IBlock, block.putVoid()));
  EXPECT_EQ(base + 3, Objects());

  EXPECT_EQ(S_OK, factory->LockServer(TRUE));
  block.reset();
  outer.reset();
  factory.reset();
  EXPECT_EQ(base, Objects());
  EXPECT_EQ(S_FALSE, nv::CanUnloadModule());  // the lock alone keeps the module
  ASSERT_EQ(S_OK, nv::GetClassObjectFrom(kTable, CLSID_Note, IID_IUnknown, factory.putVoid()));
  EXPECT_EQ(S_OK, factory->LockServer(FALSE));
  factory.reset();
  EXPECT_EQ(S_OK, nv::CanUnloadModule());
}

std::vector<int> calls;
HRESULT RowFails(BOOL flag) {
  calls.push_back(flag ? 1 : -1);
  return E_UNEXPECTED;
}
HRESULT RowSucceeds(BOOL flag) {
  calls.push_back(flag ? 2 : -2);
  return S_OK;
}

TEST(Framework, RegistrationRunsEveryRowInOrderAndReportsAFailure) {
  const nv::ClassEntry table[] = {
      {&CLSID_Sample, nullptr, &RowFails}, {&CLSID_Note, nullptr, &RowSucceeds}, {nullptr, nullptr, nullptr}};
  EXPECT_EQ(E_UNEXPECTED, nv::RegisterClasses(table, TRUE));  // a later success does not hide it
  EXPECT_EQ(S_OK, nv::RegisterClasses(table + 1, FALSE));
  EXPECT_EQ(S_OK, nv::RegisterClasses(table + 2, TRUE));
  EXPECT_EQ((std::vector<int>{1, 2, -2}), calls);
}

}  // namespace
