#include "ui/TextDecoding.h"

namespace welcomer {

DecodedText DecodePageText(const QByteArray& bytes) {
  DecodedPage page = DecodePage(std::string_view(bytes.constData(), bytes.size()));
  return {QString::fromStdString(page.text), page.encoding};
}

QString DecodeShortText(const std::string& text) {
  return QString::fromStdString(DecodeUtf8OrWindows1252(text));
}

QString NormaliseLineBreaks(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace welcomer
