// Windows-1251 and UTF-8 conversions. The 1251 table maps every byte; 0x98,
// which has no character, maps to U+0098 so that any byte string survives a
// round trip through UTF-16.
#include "platform/CodePage.h"

#include <array>

#include "platform/Kernel.h"

namespace {

constexpr char16_t kHigh1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// Reverse lookup over the whole Basic Multilingual Plane would be 64 KiB;
// the table's characters lie below U+2200, so a 0x2200-entry table suffices.
constexpr char16_t kReverseLimit = 0x2200;

const std::array<unsigned char, kReverseLimit>& ReverseTable() {
  static const std::array<unsigned char, kReverseLimit> table = [] {
    std::array<unsigned char, kReverseLimit> t{};
    for (int i = 0; i < 128; ++i) t[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < 128; ++i) t[kHigh1251[i]] = static_cast<unsigned char>(0x80 + i);
    return t;
  }();
  return table;
}

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(c));
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at text[i], advancing i; malformed, overlong and
// surrogate sequences give U+FFFD and consume one byte.
char32_t DecodeUtf8(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  int extra = 0;
  char32_t c = 0;
  char32_t min = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + extra >= text.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += extra + 1;
  return c;
}

// Decodes one UTF-16 unit or pair at text[i], advancing i; a lone surrogate gives U+FFFD.
char32_t DecodeUtf16(std::u16string_view text, size_t& i) {
  const char16_t u = text[i++];
  if (u >= 0xD800 && u <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    const char32_t c = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i] - 0xDC00);
    ++i;
    return c;
  }
  if (u >= 0xD800 && u <= 0xDFFF) return kReplacement;
  return u;
}

std::u16string Decode1251(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    out.push_back(b < 0x80 ? static_cast<char16_t>(b) : kHigh1251[b - 0x80]);
  }
  return out;
}

std::string Encode1251(std::u16string_view text, char defaultChar, bool* usedDefault) {
  const auto& reverse = ReverseTable();
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const char32_t c = DecodeUtf16(text, i);
    const unsigned char b = c < kReverseLimit ? reverse[c] : 0;
    if (b != 0 || c == 0) {
      out.push_back(static_cast<char>(b));
    } else {
      out.push_back(defaultChar);
      if (usedDefault) *usedDefault = true;
    }
  }
  return out;
}

std::u16string DecodeUtf8ToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) AppendUtf16(out, DecodeUtf8(text, i));
  return out;
}

std::string EncodeWideToUtf8(std::u16string_view text, bool* usedDefault) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const char32_t c = DecodeUtf16(text, i);
    if (c == kReplacement && text[start] != 0xFFFD && usedDefault) *usedDefault = true;
    AppendUtf8(out, c);
  }
  return out;
}

bool IsAnsi(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_1251;
}

}  // namespace

extern "C" {

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR text, int length, LPWSTR out, int size) {
  if (!text || length < -1 || length == 0 || size < 0 || (size > 0 && !out) ||
      (!IsAnsi(codePage) && codePage != CP_UTF8)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  try {
    // With length -1 the NUL is part of the input, so the result ends in one too.
    const std::string_view input(text, length == -1 ? std::char_traits<char>::length(text) + 1 : size_t(length));
    const std::u16string wide = IsAnsi(codePage) ? Decode1251(input) : DecodeUtf8ToWide(input);
    if (size == 0) return static_cast<int>(wide.size());
    if (wide.size() > static_cast<size_t>(size)) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::char_traits<char16_t>::copy(out, wide.data(), wide.size());
    return static_cast<int>(wide.size());
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR text, int length, LPSTR out, int size,
                        LPCSTR defaultChar, BOOL* usedDefault) {
  if (!text || length < -1 || length == 0 || size < 0 || (size > 0 && !out) ||
      (!IsAnsi(codePage) && codePage != CP_UTF8)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  try {
    const std::u16string_view input(text, length == -1 ? std::char_traits<char16_t>::length(text) + 1 : size_t(length));
    bool replaced = false;
    const std::string bytes = IsAnsi(codePage) ? Encode1251(input, defaultChar ? *defaultChar : '?', &replaced)
                                               : EncodeWideToUtf8(input, &replaced);
    if (usedDefault) *usedDefault = replaced ? TRUE : FALSE;
    if (size == 0) return static_cast<int>(bytes.size());
    if (bytes.size() > static_cast<size_t>(size)) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::char_traits<char>::copy(out, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}

}  // extern "C"

namespace nv {

std::u16string AnsiToWide(std::string_view ansi) {
  return Decode1251(ansi);
}
std::string WideToAnsi(std::u16string_view wide) {
  return Encode1251(wide, '?', nullptr);
}
std::u16string Utf8ToWide(std::string_view utf8) {
  return DecodeUtf8ToWide(utf8);
}
std::string WideToUtf8(std::u16string_view wide) {
  return EncodeWideToUtf8(wide, nullptr);
}
std::string AnsiToUtf8(std::string_view ansi) {
  return EncodeWideToUtf8(Decode1251(ansi), nullptr);
}
std::string Utf8ToAnsi(std::string_view utf8) {
  return Encode1251(DecodeUtf8ToWide(utf8), '?', nullptr);
}

}  // namespace nv
