#include "ui/TextDecoding.h"

#include <QStringDecoder>

#include <array>

namespace welcomer {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five codes it leaves unassigned
// keep their Latin-1 meaning so that every byte decodes and encodes back to itself.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString DecodeWindows1252(const QByteArray& bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    *out++ = (byte >= 0x80 && byte <= 0x9F) ? QChar(kHighControls[byte - 0x80]) : QChar(byte);
  }
  return text;
}

char EncodeWindows1252(QChar c) {
  const char16_t unicode = c.unicode();
  if (unicode < 0x80 || (unicode >= 0xA0 && unicode <= 0xFF))
    return static_cast<char>(unicode);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == unicode)
      return static_cast<char>(0x80 + i);
  }
  return '?';
}

}  // namespace

DecodedText DecodePageText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError())
    return {std::move(text), PageEncoding::kUtf8};
  return {DecodeWindows1252(bytes), PageEncoding::kWindows1252};
}

QByteArray EncodePageText(const QString& text, PageEncoding encoding) {
  if (encoding == PageEncoding::kUtf8)
    return text.toUtf8();
  QByteArray bytes(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i)
    bytes[i] = EncodeWindows1252(text[i]);
  return bytes;
}

QString NormaliseLineBreaks(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace welcomer
