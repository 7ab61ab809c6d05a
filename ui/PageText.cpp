#include "ui/PageText.h"

#include <QTextLayout>

namespace welcomer {

QStringList DisplayedLines(const QString& text, const QFont& font, qreal width,
                           const QTextOption& option) {
  QStringList lines;
  if (text.isEmpty())
    return lines;
  QStringList paragraphs = text.split(QLatin1Char('\n'));
  if (paragraphs.last().isEmpty())
    paragraphs.removeLast();
  QTextLayout layout;
  layout.setFont(font);
  layout.setTextOption(option);
  for (const QString& paragraph : paragraphs) {
    layout.setText(paragraph);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      lines.append(paragraph.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
  }
  return lines;
}

QString FirstNonEmptyLine(const QStringList& lines) {
  for (const QString& line : lines) {
    if (!line.isEmpty())
      return line;
  }
  return QString();
}

}  // namespace welcomer
