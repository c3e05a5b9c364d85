#include "NameFont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "CBellView.h"
#include "platform/CodePage.h"

namespace {

int QtWeight(LONG weight) {
  if (weight <= 0) return QFont::Normal;  // 0: the face's default
  return std::clamp(static_cast<int>(weight), 1, 1000);
}

QFont Build(const LogFontA& record, int pixelHeight) {
  const std::string face(record.faceName, strnlen(record.faceName, sizeof(record.faceName)));
  QFont font(QString::fromStdString(nv::AnsiToUtf8(face)));
  font.setPixelSize(std::max(1, pixelHeight));
  font.setWeight(static_cast<QFont::Weight>(QtWeight(record.weight)));
  font.setItalic(record.italic != 0);
  font.setUnderline(record.underline != 0);
  font.setStrikeOut(record.strikeOut != 0);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

QFont NameFont::ToQFont(const LogFontA& record) {
  return Build(record, std::abs(record.height));
}

QFont NameFont::Scaled(const LogFontA& record, LONG zoom) {
  return Build(record, CBellView::Scaled(std::abs(record.height), zoom));
}

LogFontA NameFont::FromQFont(const QFont& font, const LogFontA& base) {
  LogFontA record = base;
  int pixels = font.pixelSize();
  if (pixels <= 0) pixels = static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0));
  record.height = -std::clamp(static_cast<LONG>(pixels), 1, CAppSetting::kMaxFontHeight);
  record.width = 0;
  record.weight = font.weight();
  record.italic = font.italic() ? 1 : 0;
  record.underline = font.underline() ? 1 : 0;
  record.strikeOut = font.strikeOut() ? 1 : 0;
  const std::string face = nv::Utf8ToAnsi(font.family().toStdString());
  std::memset(record.faceName, 0, sizeof(record.faceName));
  std::memcpy(record.faceName, face.data(), std::min(face.size(), sizeof(record.faceName) - 1));
  return record;
}
