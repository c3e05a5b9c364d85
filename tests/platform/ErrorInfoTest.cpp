#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/Com.h"

namespace {

// Installs a new error object with the description on the calling thread.
void Install(const char16_t* text) {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  ASSERT_EQ(create->SetDescription(const_cast<LPOLESTR>(text)), S_OK);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
  create->Release();
  ASSERT_EQ(SetErrorInfo(0, info), S_OK);
  info->Release();
}

// Takes the calling thread's error description; "<none>" when there is none.
std::u16string TakeDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return u"<none>";
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::u16string result(text, SysStringLen(text));
  SysFreeString(text);
  info->Release();
  return result;
}

TEST(ErrorInfo, DescriptionIsTakenOnceAndLaterOneReplacesEarlier) {
  Install(u"Первая\n");
  Install(u"Объект занят\n");
  EXPECT_EQ(TakeDescription(), u"Объект занят\n");
  IErrorInfo* info = reinterpret_cast<IErrorInfo*>(1);
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
  EXPECT_EQ(info, nullptr);
}

TEST(ErrorInfo, EachThreadHasItsOwnSlot) {
  Install(u"main\n");
  std::u16string seenByOther;
  std::thread other([&] {
    seenByOther = TakeDescription();
    Install(u"other\n");  // released when the thread ends
  });
  other.join();
  EXPECT_EQ(seenByOther, u"<none>");
  EXPECT_EQ(TakeDescription(), u"main\n");
}

TEST(ErrorInfo, NullClearsTheSlot) {
  Install(u"x\n");
  EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
  EXPECT_EQ(TakeDescription(), u"<none>");
}

TEST(ErrorInfo, ObjectAnswersBothInterfacesWithOneIdentityAndCount) {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  create->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  info->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  EXPECT_EQ(a, b);
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(info->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);

  create->SetSource(const_cast<LPOLESTR>(u"Sonvox"));
  BSTR source = nullptr;
  BSTR helpFile = nullptr;
  info->GetSource(&source);
  info->GetHelpFile(&helpFile);
  EXPECT_EQ(std::u16string(source), u"Sonvox");
  ASSERT_NE(helpFile, nullptr);  // never set: an empty string, not null
  EXPECT_EQ(SysStringLen(helpFile), 0u);
  SysFreeString(source);
  SysFreeString(helpFile);

  // create, info, a and b hold four references.
  EXPECT_EQ(a->Release(), 3u);
  EXPECT_EQ(b->Release(), 2u);
  EXPECT_EQ(info->Release(), 1u);
  EXPECT_EQ(create->Release(), 0u);
}

}  // namespace
