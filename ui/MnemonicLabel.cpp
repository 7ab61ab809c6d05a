#include "ui/MnemonicLabel.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <cmath>

#include "ui/TextDecoding.h"

namespace welcomer {
namespace {

bool MarksNothing(QChar next) {
  return next == QLatin1Char(' ') || next == QLatin1Char('\t') || next == QLatin1Char('\n');
}

}  // namespace

MnemonicText ParseMnemonics(const QString& message) {
  const QString text = NormaliseLineBreaks(message);
  MnemonicText result;
  result.shown.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c != QLatin1Char('&') || i + 1 == text.size() || MarksNothing(text[i + 1])) {
      result.shown += c;
      continue;
    }
    ++i;
    if (text[i] != QLatin1Char('&'))
      result.underlined.append(static_cast<int>(result.shown.size()));
    result.shown += text[i];
  }
  return result;
}

MnemonicLabel::MnemonicLabel(const QString& message, int maximumWidth, bool mnemonics,
                             QWidget* parent)
    : QWidget(parent),
      text_(mnemonics ? ParseMnemonics(message) : MnemonicText{NormaliseLineBreaks(message), {}}),
      maximumWidth_(maximumWidth) {
  // QTextLayout breaks a paragraph only at a line separator, never at "\n".
  QString shown = text_.shown;
  shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
  layout_.setText(shown);
  QList<QTextLayout::FormatRange> formats;
  for (int position : text_.underlined) {
    QTextLayout::FormatRange range;
    range.start = position;
    range.length = 1;
    range.format.setFontUnderline(true);
    formats.append(range);
  }
  layout_.setFormats(formats);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  Relayout();
}

qreal MnemonicLabel::TabStopDistance() const {
  return 8 * QFontMetricsF(font()).averageCharWidth();
}

void MnemonicLabel::Relayout() {
  layout_.setFont(font());
  QTextOption option;
  option.setTabStopDistance(TabStopDistance());
  // First without wrapping, to find the width the text wants; then wrapped when that is too
  // wide.
  for (const auto wrap : {QTextOption::NoWrap, QTextOption::WrapAtWordBoundaryOrAnywhere}) {
    option.setWrapMode(wrap);
    layout_.setTextOption(option);
    layout_.beginLayout();
    qreal y = 0;
    qreal width = 0;
    while (true) {
      QTextLine line = layout_.createLine();
      if (!line.isValid())
        break;
      line.setLineWidth(maximumWidth_);
      line.setPosition(QPointF(0, y));
      y += line.height();
      width = std::max(width, line.naturalTextWidth());
    }
    layout_.endLayout();
    size_ = QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(y)));
    if (width <= maximumWidth_)
      break;
  }
  updateGeometry();
  update();
}

QSize MnemonicLabel::sizeHint() const {
  return size_;
}

void MnemonicLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  layout_.draw(&painter, QPointF(0, 0));
}

void MnemonicLabel::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange)
    Relayout();
  QWidget::changeEvent(event);
}

}  // namespace welcomer
