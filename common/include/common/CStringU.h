// CStringU: a bounded UTF-16 string of at most 255 characters with a
// single-byte mirror in the ANSI code page (Windows-1251).
//
// The limits are part of the file formats and messages: a name of 255
// characters is the longest a length byte can describe. Operations never
// fail: a result that would not fit leaves an empty string (construction,
// assignment, concatenation into a new string) or leaves the string unchanged
// (appending in place, which reports whether it appended).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/Types.h"

class CStringU {
 public:
  static constexpr size_t kMaxLength = 255;

  CStringU();
  // Wide text up to its first NUL; 256 characters or more give an empty string.
  CStringU(const WCHAR* wide);  // NOLINT: implicit like the text it holds
  CStringU(std::u16string_view wide);
  // ANSI (Windows-1251) text; 256 bytes or more give an empty string.
  explicit CStringU(const char* ansi);
  // Wide text cut to the capacity rather than emptied: for messages, where a
  // readable beginning beats nothing.
  static CStringU Truncated(std::u16string_view wide) {
    return CStringU(wide.substr(0, std::min(wide.size(), kMaxLength)));
  }
  CStringU(const CStringU& other);
  CStringU& operator=(const CStringU& other);
  virtual ~CStringU();

  CStringU& operator=(const char* ansi);
  CStringU& operator=(const WCHAR* wide);
  CStringU& operator=(std::u16string_view wide);

  // UTF-8 text, for file names and texts of our own; same limits as wide text.
  static CStringU FromUtf8(std::string_view utf8);

  // Append in place; false (and the string unchanged) when the result would
  // be longer than 255 characters.
  bool Append(const char* ansi);
  bool Append(const WCHAR* wide);
  bool Append(std::u16string_view wide);

  // This string's ANSI form followed by ansi; empty when longer than 255.
  CStringU Concat(const char* ansi) const;
  // This string followed by other; empty when longer than 255.
  CStringU operator+(const CStringU& other) const;

  // printf-style formatting into the ANSI buffer (cut at 255 bytes), then
  // converted into the wide text.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // The ANSI form: converts the wide text into the mirror and returns it.
  const char* Narrow() const;
  // Byte-wise comparison of the ANSI form with ansi: 0 when equal.
  int Compare(const char* ansi) const;

  const WCHAR* Wide() const { return wide_; }
  std::u16string_view View() const { return std::u16string_view(wide_, length_); }
  std::string ToUtf8() const;
  size_t Length() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }

  bool operator==(const CStringU& other) const { return View() == other.View(); }

 private:
  void Assign(std::u16string_view wide);

  WCHAR wide_[kMaxLength + 1];
  mutable char narrow_[kMaxLength + 1];
  size_t length_ = 0;
};
