#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Com.h"

namespace {

struct BstrCase {
  const char* name;
  std::u16string text;
};
void PrintTo(const BstrCase& c, std::ostream* os) {
  *os << c.name;
}

class BstrLayout : public testing::TestWithParam<BstrCase> {};

TEST_P(BstrLayout, PrefixHoldsByteLengthAndTextEndsInNul) {
  const std::u16string& text = GetParam().text;
  BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  ASSERT_NE(s, nullptr);
  uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const char*>(s) - 4, 4);
  EXPECT_EQ(prefix, text.size() * 2);
  EXPECT_EQ(SysStringLen(s), text.size());
  EXPECT_EQ(SysStringByteLen(s), text.size() * 2);
  EXPECT_EQ(std::u16string(s, SysStringLen(s)), text);
  EXPECT_EQ(s[text.size()], u'\0');
  SysFreeString(s);
}

INSTANTIATE_TEST_SUITE_P(Texts, BstrLayout,
                         testing::Values(BstrCase{"Empty", u""}, BstrCase{"Ascii", u"melody"},
                                         BstrCase{"Cyrillic", u"Новая мелодия"},
                                         BstrCase{"EmbeddedNul", std::u16string(u"a\0b", 3)},
                                         BstrCase{"Surrogates", u"\U0001D11E clef"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Bstr, AllocStringStopsAtNulAndNullGivesNull) {
  BSTR s = SysAllocString(u"abc");
  EXPECT_EQ(SysStringLen(s), 3u);
  SysFreeString(s);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(Bstr, OddByteLengthKeepsByteCountAndNul) {
  BSTR s = SysAllocStringByteLen("abc", 3);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SysStringByteLen(s), 3u);
  EXPECT_EQ(SysStringLen(s), 1u);
  EXPECT_EQ(reinterpret_cast<const char*>(s)[3], '\0');
  EXPECT_EQ(reinterpret_cast<const char*>(s)[4], '\0');
  SysFreeString(s);
}

TEST(Bstr, HugeLengthFailsInsteadOfWrapping) {
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

}  // namespace
