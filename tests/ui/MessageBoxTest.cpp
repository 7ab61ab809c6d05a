#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <optional>

#include <gtest/gtest.h>

#include "tests/ui/WindowFixture.h"
#include "ui/MnemonicLabel.h"
#include "ui/ModalBox.h"
#include "ui/QtModalBox.h"

namespace welcomer {
namespace {

struct BoxRow : testing::NamedRow {
  std::optional<BoxKind> kind;  // none: a box without icon or title that shows "&" as it stands
  std::string text;
  Qt::Key key;
  bool alt;
  const char* buttons;  // separated by "|"
  const char* shown;    // the label's text; U+2028 breaks a line
  int underlinedAt;     // the one character an "&" marks; -1: none
  bool result;
};

class QtBoxTest : public ::testing::TestWithParam<BoxRow> {};

TEST_P(QtBoxTest, ShowsTheBoxAndAnswers) {
  const BoxRow& row = GetParam();
  const BoxRequest request =
      row.kind ? RequestFor(*row.kind, row.text)
               : BoxRequest{
                     {}, QString::fromStdString(row.text), BoxIcon::kNone, BoxButtons::kOk, false};
  // An hourglass set by the caller must not show over the box, and must be back afterwards.
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  bool looked = false;
  // Once the box is up and active, looks at it and presses the row's key.
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    if (!QTest::qWaitForWindowActive(box)) {
      box->close();
      return;
    }
    looked = true;
    [&] {
      // An empty title is kept as a blank: Qt would put the program's name in its place.
      EXPECT_EQ(box->windowTitle().trimmed(), request.title);
      EXPECT_FALSE(box->windowHandle()->title().isEmpty());
      QStringList buttons;
      for (const auto* button : box->findChildren<QPushButton*>())
        buttons.append(button->text());
      EXPECT_EQ(buttons.join(QLatin1Char('|')), QString::fromLatin1(row.buttons));
      EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("Icon")) != nullptr,
                request.icon != BoxIcon::kNone);
      ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
      // Placed before its frame was known: centred within the frame's width.
      EXPECT_LE((box->frameGeometry().center() - box->screen()->availableGeometry().center())
                    .manhattanLength(),
                6);
      const auto* label = box->findChild<MnemonicLabel*>(QStringLiteral("Text"));
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(label->TextLayout().text(), QString::fromUtf8(row.shown));
      const QTextLayout& layout = label->TextLayout();
      // What follows a tab starts on a stop, every eight average character widths.
      if (const int tab = static_cast<int>(layout.text().indexOf(QLatin1Char('\t'))); tab >= 0) {
        const qreal x = layout.lineForTextPosition(tab + 1).cursorToX(tab + 1);
        EXPECT_NEAR(std::remainder(x, 8 * QFontMetricsF(label->font()).averageCharWidth()), 0, 0.5);
      }
      const auto formats = layout.formats();
      ASSERT_EQ(formats.size(), row.underlinedAt >= 0 ? 1 : 0);
      EXPECT_TRUE(formats.empty() || (formats[0].start == row.underlinedAt &&
                                      formats[0].length == 1 && formats[0].format.fontUnderline()));
    }();
    QTest::keyClick(box, row.key, row.alt ? Qt::AltModifier : Qt::NoModifier);
  });
  QtBoxPresenter presenter;
  EXPECT_EQ(
      row.kind ? KindBoxPresenter(presenter).Show(*row.kind, row.text) : presenter.Show(request),
      row.result);
  EXPECT_TRUE(looked) << "the box did not become active";
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  QGuiApplication::restoreOverrideCursor();
}

// Every kind of line break; "&&" shows one "&"; an "&" that marks nothing shows as it stands.
const std::string kText = "&Line one\r\nLine && two &\r&\tend&";
const char kShown[] = "Line one\u2028Line & two &\u2028&\tend&";

INSTANTIATE_TEST_SUITE_P(
    Rows, QtBoxTest,
    ::testing::Values(BoxRow{"Information", BoxKind::kInformation, kText, Qt::Key_Return, false,
                             "OK", kShown, 0, false},
                      // The program's messages are UTF-8 or Windows-1252.
                      BoxRow{"Error", BoxKind::kError, "caf\xE9 &&&x\nz", Qt::Key_Return, false,
                             "Cancel", "café &x\u2028z", 6, false},
                      BoxRow{"ConfirmEnterIsYes", BoxKind::kConfirm, kText, Qt::Key_Return, false,
                             "&Yes|&No", kShown, 0, true},
                      BoxRow{"ConfirmEscapeIsNo", BoxKind::kConfirm, kText, Qt::Key_Escape, false,
                             "&Yes|&No", kShown, 0, false},
                      BoxRow{"ConfirmAltYIsYes", BoxKind::kConfirm, kText, Qt::Key_Y, true,
                             "&Yes|&No", kShown, 0, true},
                      // A file name shows every "&" as it stands.
                      BoxRow{"LiteralWithoutIconOrTitle", std::nullopt, "R&D\nx", Qt::Key_Return,
                             false, "OK", "R&D\u2028x", -1, false}),
    testing::kRowName);

}  // namespace
}  // namespace welcomer
