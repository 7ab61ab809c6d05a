#pragma once

#include <QByteArray>
#include <QString>

namespace welcomer {

/// How the bytes of a text page were read.
enum class PageEncoding { kUtf8, kWindows1252 };

struct DecodedText {
  QString text;
  PageEncoding encoding = PageEncoding::kUtf8;
};

/// Decodes a file's bytes: as UTF-8 when they are valid UTF-8 (a leading byte-order mark is
/// dropped), otherwise as Windows-1252, whose five unassigned codes stand for themselves as in
/// Latin-1. Line breaks stay as they are.
DecodedText DecodePageText(const QByteArray& bytes);

/// The bytes that `text` stands for in `encoding`: the inverse of DecodePageText for every text
/// it produced. A character Windows-1252 cannot hold becomes "?".
QByteArray EncodePageText(const QString& text, PageEncoding encoding);

/// The text with every "\r\n" and every lone "\r" turned into "\n".
QString NormaliseLineBreaks(QString text);

}  // namespace welcomer
