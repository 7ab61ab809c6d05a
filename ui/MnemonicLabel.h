#pragma once

#include <QList>
#include <QString>
#include <QTextLayout>
#include <QWidget>

namespace welcomer {

/// A message's text as it is drawn: the characters shown and which of them are underlined.
struct MnemonicText {
  /// Paragraphs are separated by "\n".
  QString shown;
  /// Positions in `shown` of the characters an "&" marked.
  QList<int> underlined;
  bool operator==(const MnemonicText&) const = default;
};

/// Reads a message written with control-caption mnemonics: "\r\n", "\n" and "\r" each break a
/// line; "&" is not shown and underlines the character after it; "&&" shows one "&"; an "&"
/// before a blank, a tab, a line break or at the very end is shown as it stands, since it marks
/// nothing there.
MnemonicText ParseMnemonics(const QString& message);

/// A read-only text that honours tab stops (every eight average character widths of its font)
/// and underlines mnemonic characters, which QLabel does not. It wraps at word boundaries when
/// a line is wider than the widest width it is given.
class MnemonicLabel : public QWidget {
 public:
  /// With `mnemonics` false every "&" is shown as it stands.
  MnemonicLabel(const QString& message, int maximumWidth, bool mnemonics = true,
                QWidget* parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

  /// The laid-out text: one paragraph per QTextLayout line break.
  const QTextLayout& TextLayout() const { return layout_; }
  /// The distance between two tab stops, in pixels.
  qreal TabStopDistance() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Relayout();

  MnemonicText text_;
  int maximumWidth_;
  QTextLayout layout_;
  QSize size_;
};

}  // namespace welcomer
