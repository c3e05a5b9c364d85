#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"
#include "platform/Kernel.h"

namespace {

TEST(CodePage, EveryAnsiByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string wide = nv::AnsiToWide(all);
  ASSERT_EQ(wide.size(), all.size());
  EXPECT_EQ(nv::WideToAnsi(wide), all);
  EXPECT_EQ(nv::Utf8ToAnsi(nv::AnsiToUtf8(all)), all);
}

struct AnsiCase {
  std::string ansi;
  std::u16string wide;
};
void PrintTo(const AnsiCase& c, std::ostream* os) {
  *os << nv::AnsiToUtf8(c.ansi);
}

class AnsiMapping : public testing::TestWithParam<AnsiCase> {};

TEST_P(AnsiMapping, BothDirections) {
  EXPECT_EQ(nv::AnsiToWide(GetParam().ansi), GetParam().wide);
  EXPECT_EQ(nv::WideToAnsi(GetParam().wide), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(Windows1251, AnsiMapping,
                         testing::Values(AnsiCase{"\xCE\xE1\xFA\xE5\xEA\xF2 \xE7\xE0\xED\xFF\xF2\n", u"Объект занят\n"},
                                         AnsiCase{"\xC0\xDF\xE0\xFF", u"АЯая"}, AnsiCase{"\xA8\xB8", u"Ёё"},
                                         AnsiCase{"\x88\x96\xB9\xAB\xBB", u"€–№«»"},
                                         AnsiCase{"\xA5\xB4\xAA\xBA", u"ҐґЄє"}));

TEST(CodePage, CharactersOutsideBecomeQuestionMarks) {
  EXPECT_EQ(nv::WideToAnsi(u"a\u00E9\u4E2D\U0001D11Eb"), "a???b");
  EXPECT_EQ(nv::Utf8ToAnsi("ñ→"), "??");
  char out[8] = {};
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u00E9x", 2, out, 8, nullptr, &usedDefault), 2);
  EXPECT_EQ(std::string(out, 2), "?x");
  EXPECT_TRUE(usedDefault);
}

TEST(CodePage, Utf8RoundTripKeepsSurrogatePairsAndReplacesBadBytes) {
  const std::u16string wide = u"Ми\U0001D11E";
  EXPECT_EQ(nv::Utf8ToWide(nv::WideToUtf8(wide)), wide);
  EXPECT_EQ(nv::Utf8ToWide("a\xFF"
                           "b\xC3"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(nv::Utf8ToWide("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong '/'
  EXPECT_EQ(nv::WideToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(CodePage, BufferSizesFollowThePlatform) {
  // Length -1 converts the NUL too; size 0 only asks.
  EXPECT_EQ(MultiByteToWideChar(CP_1251, 0, "\xCF\xF0", -1, nullptr, 0), 3);
  WCHAR wide[3];
  EXPECT_EQ(MultiByteToWideChar(CP_1251, 0, "\xCF\xF0", -1, wide, 3), 3);
  EXPECT_EQ(std::u16string(wide), u"Пр");
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_1251, 0, "\xCF\xF0", -1, wide, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"Пр", 2, nullptr, 0, nullptr, nullptr), 4);
  char bytes[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"Пр", 2, bytes, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  EXPECT_EQ(MultiByteToWideChar(437, 0, "a", 1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 1, wide, 3), 0);
}

}  // namespace
