#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/ui/UiFakes.h"
#include "ui/MnemonicLabel.h"
#include "ui/ModalBox.h"
#include "ui/QtModalBox.h"

namespace welcomer {
namespace {

struct BoxRow : testing::NamedRow {
  BoxRequest request;
  Qt::Key key;
  bool alt;
  const char* buttons;  // separated by "|"
  bool icon;
  bool result;
};

class QtBoxTest : public ::testing::TestWithParam<BoxRow> {};

TEST_P(QtBoxTest, ShowsTheBoxAndAnswers) {
  const BoxRow& row = GetParam();
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
      EXPECT_EQ(box->windowTitle().trimmed(), row.request.title);
      EXPECT_FALSE(box->windowHandle()->title().isEmpty());
      QStringList buttons;
      for (const auto* button : box->findChildren<QPushButton*>())
        buttons.append(button->text());
      EXPECT_EQ(buttons.join(QLatin1Char('|')), QString::fromLatin1(row.buttons));
      EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("Icon")) != nullptr, row.icon);
      ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
      // Placed before its frame was known: centred within the frame's width.
      EXPECT_LE((box->frameGeometry().center() - box->screen()->availableGeometry().center())
                    .manhattanLength(),
                6);
      const auto* label = box->findChild<MnemonicLabel*>(QStringLiteral("Text"));
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(label->TextLayout().text(), QStringLiteral("Line one\u2028Line two"));
    }();
    QTest::keyClick(box, row.key, row.alt ? Qt::AltModifier : Qt::NoModifier);
  });
  EXPECT_EQ(QtBoxPresenter().Show(row.request), row.result);
  EXPECT_TRUE(looked) << "the box did not become active";
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  QGuiApplication::restoreOverrideCursor();
}

const std::string kText = "Line one\nLine two";

INSTANTIATE_TEST_SUITE_P(
    Rows, QtBoxTest,
    ::testing::Values(BoxRow{"Information", RequestFor(BoxKind::kInformation, kText),
                             Qt::Key_Return, false, "OK", true, false},
                      BoxRow{"Error", RequestFor(BoxKind::kError, kText), Qt::Key_Return, false,
                             "Cancel", true, false},
                      BoxRow{"ConfirmEnterIsYes", RequestFor(BoxKind::kConfirm, kText),
                             Qt::Key_Return, false, "&Yes|&No", true, true},
                      BoxRow{"ConfirmEscapeIsNo", RequestFor(BoxKind::kConfirm, kText),
                             Qt::Key_Escape, false, "&Yes|&No", true, false},
                      BoxRow{"ConfirmAltYIsYes", RequestFor(BoxKind::kConfirm, kText), Qt::Key_Y,
                             true, "&Yes|&No", true, true},
                      BoxRow{{"WithoutIconOrTitle"},
                             BoxRequest{QString(), QString::fromStdString(kText)},
                             Qt::Key_Return,
                             false,
                             "OK",
                             false,
                             false}),
    testing::kRowName);

TEST(MnemonicLabel, TabsAdvanceToStopsEveryEightAverageWidths) {
  MnemonicLabel label(QStringLiteral("a\tb\nlonger text\tc\n\td"), 2000);
  const QTextLayout& layout = label.TextLayout();
  ASSERT_EQ(layout.lineCount(), 3);
  const qreal stop = label.TabStopDistance();
  EXPECT_NEAR(stop, 8 * QFontMetricsF(label.font()).averageCharWidth(), 0.01);
  // The character after each tab starts exactly on a stop.
  const auto xOf = [&](int line, QChar c) {
    const QTextLine textLine = layout.lineAt(line);
    return textLine.cursorToX(static_cast<int>(layout.text().indexOf(c, textLine.textStart())));
  };
  EXPECT_NEAR(xOf(0, QLatin1Char('b')), stop, 0.5);
  EXPECT_NEAR(xOf(1, QLatin1Char('c')), 2 * stop, 0.5);
  EXPECT_NEAR(xOf(2, QLatin1Char('d')), stop, 0.5);
}

TEST(MnemonicLabel, UnderlinesMarkedCharactersOnlyAndWraps) {
  MnemonicLabel label(QStringLiteral("&Save && quit"), 2000);
  const auto formats = label.TextLayout().formats();
  ASSERT_EQ(formats.size(), 1);
  EXPECT_EQ(formats[0].start, 0);
  EXPECT_EQ(formats[0].length, 1);
  EXPECT_TRUE(formats[0].format.fontUnderline());
  // File names carry no mnemonics.
  MnemonicLabel literal(QStringLiteral("/TMP/R&D/A.TXT"), 2000, false);
  EXPECT_TRUE(literal.TextLayout().formats().isEmpty());
  EXPECT_EQ(literal.TextLayout().text(), QStringLiteral("/TMP/R&D/A.TXT"));
  MnemonicLabel wrapped(QStringLiteral("word ").repeated(60), 200);
  EXPECT_GT(wrapped.TextLayout().lineCount(), 1);
  EXPECT_LE(wrapped.sizeHint().width(), 200);
}

TEST(KindBoxPresenter, ShowsTheBoxOfTheKindAndAnswersYesOnlyToAConfirmation) {
  testing::RecordingBoxes boxes;
  boxes.answers = {true, true, true, false};
  KindBoxPresenter kinds(boxes);
  EXPECT_FALSE(kinds.Show(BoxKind::kInformation, "caf\xE9 & more"));
  EXPECT_FALSE(kinds.Show(BoxKind::kError, ""));
  EXPECT_TRUE(kinds.Show(BoxKind::kConfirm, ""));
  EXPECT_FALSE(kinds.Show(BoxKind::kConfirm, ""));
  ASSERT_EQ(boxes.shown.size(), 4u);
  EXPECT_EQ(boxes.shown[0], (BoxRequest{"Information", QStringLiteral("caf\u00E9 & more"),
                                        BoxIcon::kInformation, BoxButtons::kOk, true}));
  EXPECT_EQ(boxes.shown[1], (BoxRequest{"Error", "", BoxIcon::kStop, BoxButtons::kCancel}));
  EXPECT_EQ(boxes.shown[2], (BoxRequest{"Confirm", "", BoxIcon::kQuestion, BoxButtons::kYesNo}));
}

}  // namespace
}  // namespace welcomer
