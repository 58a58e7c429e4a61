#include "gui/Text1252.h"

#include "store/Common.h"

namespace vorne {
namespace {

char ToByte(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (unsigned b = 0x80; b < 0xA0; ++b) {
    if (UnicodeOf1252(uint8_t(b)) == c) return static_cast<char>(b);
  }
  return '?';
}

}  // namespace

QString ToQt(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (char ch : text) {
    auto b = static_cast<unsigned char>(ch);
    out.append(QChar(UnicodeOf1252(b)));
  }
  return out;
}

std::string FromQt(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      ++i;  // one character outside the code page, one "?"
      out.push_back('?');
      continue;
    }
    out.push_back(ToByte(c.unicode()));
  }
  return out;
}

QFont FixedPitchFont() {
  QFont f(QStringLiteral("Courier New"));
  f.setStyleHint(QFont::TypeWriter);
  return f;
}

}  // namespace vorne
