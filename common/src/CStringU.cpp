#include "common/CStringU.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/CodePage.h"

namespace {

size_t BoundedLength(const WCHAR* text) {
  size_t n = 0;
  // One past the limit is enough to know the text does not fit.
  while (n <= CStringU::kMaxLength && text[n] != 0) ++n;
  return n;
}

}  // namespace

CStringU::CStringU() {
  wide_[0] = 0;
  narrow_[0] = 0;
}

CStringU::CStringU(const WCHAR* wide) : CStringU() {
  if (wide) Assign(std::u16string_view(wide, BoundedLength(wide)));
}

CStringU::CStringU(std::u16string_view wide) : CStringU() {
  Assign(wide);
}

CStringU::CStringU(const char* ansi) : CStringU() {
  *this = ansi;
}

CStringU::CStringU(const CStringU& other) : CStringU() {
  Assign(other.View());
}

CStringU& CStringU::operator=(const CStringU& other) {
  if (this != &other) Assign(other.View());
  return *this;
}

CStringU::~CStringU() = default;

CStringU& CStringU::operator=(const char* ansi) {
  if (!ansi || std::strlen(ansi) > kMaxLength) {
    Assign({});
    return *this;
  }
  Assign(nv::AnsiToWide(ansi));
  return *this;
}

CStringU& CStringU::operator=(const WCHAR* wide) {
  Assign(wide ? std::u16string_view(wide, BoundedLength(wide)) : std::u16string_view());
  return *this;
}

CStringU& CStringU::operator=(std::u16string_view wide) {
  Assign(wide);
  return *this;
}

CStringU CStringU::FromUtf8(std::string_view utf8) {
  return CStringU(nv::Utf8ToWide(utf8));
}

void CStringU::Assign(std::u16string_view wide) {
  // Text after an embedded NUL is not part of a terminated string.
  if (size_t nul = wide.find(u'\0'); nul != std::u16string_view::npos) wide = wide.substr(0, nul);
  if (wide.size() > kMaxLength) wide = {};
  if (!wide.empty()) std::memmove(wide_, wide.data(), wide.size() * sizeof(WCHAR));
  length_ = wide.size();
  wide_[length_] = 0;
}

bool CStringU::Append(const char* ansi) {
  if (!ansi) return true;
  if (std::strlen(ansi) > kMaxLength) return false;
  return Append(std::u16string_view(nv::AnsiToWide(ansi)));
}

bool CStringU::Append(const WCHAR* wide) {
  if (!wide) return true;
  return Append(std::u16string_view(wide, BoundedLength(wide)));
}

bool CStringU::Append(std::u16string_view wide) {
  if (size_t nul = wide.find(u'\0'); nul != std::u16string_view::npos) wide = wide.substr(0, nul);
  if (length_ + wide.size() > kMaxLength) return false;
  if (!wide.empty()) std::memcpy(wide_ + length_, wide.data(), wide.size() * sizeof(WCHAR));
  length_ += wide.size();
  wide_[length_] = 0;
  return true;
}

CStringU CStringU::Concat(const char* ansi) const {
  std::string joined = Narrow();
  if (ansi) joined += ansi;
  if (joined.size() > kMaxLength) return CStringU();
  return CStringU(joined.c_str());
}

CStringU CStringU::operator+(const CStringU& other) const {
  if (length_ + other.length_ > kMaxLength) return CStringU();
  std::u16string joined(View());
  joined += other.View();
  return CStringU(std::u16string_view(joined));
}

void CStringU::Format(const char* format, ...) {
  char buffer[kMaxLength + 1];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (n < 0) buffer[0] = 0;
  *this = buffer;
}

const char* CStringU::Narrow() const {
  std::string ansi = nv::WideToAnsi(View());
  // Windows-1251 holds one byte per character; the cut only guards the
  // buffer should a conversion ever produce more.
  if (ansi.size() > kMaxLength) ansi.resize(kMaxLength);
  std::memcpy(narrow_, ansi.data(), ansi.size());
  narrow_[ansi.size()] = 0;
  return narrow_;
}

int CStringU::Compare(const char* ansi) const {
  return std::strcmp(Narrow(), ansi ? ansi : "");
}

std::string CStringU::ToUtf8() const {
  return nv::WideToUtf8(View());
}
