#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextOption>

namespace welcomer {

/// The lines of `text` ("\n" between paragraphs) as a text view shows them when it lays the
/// text out in `font` at `width` pixels with `option`'s wrapping and tab stops: each wrapped
/// piece is a line, an empty paragraph is an empty line, and the empty paragraph after a final
/// line break is no line at all.
QStringList DisplayedLines(const QString& text, const QFont& font, qreal width,
                           const QTextOption& option);

/// The first line that is not empty; the empty text when every line is empty or there is none.
QString FirstNonEmptyLine(const QStringList& lines);

}  // namespace welcomer
