#pragma once

#include <QByteArray>
#include <QString>

#include <string>

#include "ui/PageDecoding.h"

namespace welcomer {

/// A text page as the window shows it.
struct DecodedText {
  QString text;
  PageEncoding encoding = PageEncoding::kUtf8;
};

/// The text of a page file's bytes, read as DecodePage reads it. Line breaks stay as they are.
DecodedText DecodePageText(const QByteArray& bytes);

/// A file name or a message of the program: UTF-8 when it is valid UTF-8, otherwise
/// Windows-1252.
QString DecodeShortText(const std::string& text);

/// The text with every "\r\n" and every lone "\r" turned into "\n".
QString NormaliseLineBreaks(QString text);

}  // namespace welcomer
