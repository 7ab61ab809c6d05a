#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include "tests/ui/UiFakes.h"
#include "ui/MnemonicLabel.h"
#include "ui/ModalBox.h"
#include "ui/QtModalBox.h"

namespace welcomer {
namespace {

using testing::RecordingBoxes;

struct Seen {
  QString title;
  QStringList buttons;
  bool hasIcon = false;
  bool arrowCursor = false;
  bool centred = false;
  QString text;
};

// Shows `request` and, once the box is up and active, looks at it and presses `key`.
bool ShowAndPress(const BoxRequest& request, int key, Seen& seen) {
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || !QTest::qWaitForWindowActive(box)) {
      ADD_FAILURE() << "no active box";
      if (box)
        box->close();
      return;
    }
    seen.title = box->windowTitle();
    for (const auto* button : box->findChildren<QPushButton*>())
      seen.buttons.append(button->text());
    seen.hasIcon = box->findChild<QLabel*>(QStringLiteral("Icon")) != nullptr;
    seen.arrowCursor = QGuiApplication::overrideCursor() &&
                       QGuiApplication::overrideCursor()->shape() == Qt::ArrowCursor;
    const QPoint screenCentre = box->screen()->availableGeometry().center();
    // Placed before its frame was known: centred within the frame's width.
    const QRect frame = box->frameGeometry();
    seen.centred = (frame.center() - screenCentre).manhattanLength() <= 6;
    if (!seen.centred)
      ADD_FAILURE() << "box at " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                    << frame.height() << "; screen centre " << screenCentre.x() << ","
                    << screenCentre.y();
    if (auto* label = box->findChild<MnemonicLabel*>(QStringLiteral("Text")))
      seen.text = label->TextLayout().text();
    QTest::keyClick(box, static_cast<Qt::Key>(key));
  });
  QtBoxPresenter boxes;
  return boxes.Show(request);
}

struct BoxRow {
  const char* name;
  BoxKind kind;
  int key;
  QString title;
  QStringList buttons;
  bool result;
};

class QtBoxTest : public ::testing::TestWithParam<BoxRow> {};

TEST_P(QtBoxTest, ShowsKindAndAnswers) {
  const BoxRow& row = GetParam();
  // An hourglass set by the caller must not show over the box, and must be back afterwards.
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  Seen seen;
  const bool result = ShowAndPress(RequestFor(row.kind, "Line one\nLine two"), row.key, seen);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  QGuiApplication::restoreOverrideCursor();

  EXPECT_EQ(result, row.result);
  EXPECT_EQ(seen.title, row.title);
  EXPECT_EQ(seen.buttons, row.buttons);
  EXPECT_TRUE(seen.hasIcon);
  EXPECT_TRUE(seen.arrowCursor);
  EXPECT_TRUE(seen.centred);
  EXPECT_EQ(seen.text, QStringLiteral("Line one\u2028Line two"));
}

INSTANTIATE_TEST_SUITE_P(Rows, QtBoxTest,
                         ::testing::Values(BoxRow{"InformationEnter",
                                                  BoxKind::kInformation,
                                                  Qt::Key_Return,
                                                  QStringLiteral("Information"),
                                                  {QStringLiteral("OK")},
                                                  false},
                                           BoxRow{"ErrorEnter",
                                                  BoxKind::kError,
                                                  Qt::Key_Return,
                                                  QStringLiteral("Error"),
                                                  {QStringLiteral("Cancel")},
                                                  false},
                                           BoxRow{"ConfirmEnterIsYes",
                                                  BoxKind::kConfirm,
                                                  Qt::Key_Return,
                                                  QStringLiteral("Confirm"),
                                                  {QStringLiteral("&Yes"), QStringLiteral("&No")},
                                                  true},
                                           BoxRow{"ConfirmEscapeIsNo",
                                                  BoxKind::kConfirm,
                                                  Qt::Key_Escape,
                                                  QStringLiteral("Confirm"),
                                                  {QStringLiteral("&Yes"), QStringLiteral("&No")},
                                                  false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QtBox, ConfirmMnemonicYesAnswersYes) {
  Seen seen;
  QTimer::singleShot(0, [] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(box));
    QTest::keyClick(box, Qt::Key_Y, Qt::AltModifier);
  });
  QtBoxPresenter boxes;
  EXPECT_TRUE(boxes.Show(RequestFor(BoxKind::kConfirm, "Sure?")));
}

TEST(QtBox, BoxWithoutIconHasNone) {
  Seen seen;
  BoxRequest request;
  request.text = QStringLiteral("Sent");
  ShowAndPress(request, Qt::Key_Return, seen);
  EXPECT_FALSE(seen.hasIcon);
  EXPECT_EQ(seen.title, QString());
  EXPECT_EQ(seen.buttons, QStringList{QStringLiteral("OK")});
}

TEST(MnemonicLabel, TabsAdvanceToStopsEveryEightAverageWidths) {
  MnemonicLabel label(QStringLiteral("a\tb\nlonger text\tc\n\td"), 2000);
  const QTextLayout& layout = label.TextLayout();
  ASSERT_EQ(layout.lineCount(), 3);
  const qreal stop = label.TabStopDistance();
  EXPECT_NEAR(stop, 8 * QFontMetricsF(label.font()).averageCharWidth(), 0.01);
  const QString text = layout.text();
  // The character after each tab starts exactly on a stop.
  const auto xOf = [&](int line, QChar c) {
    const QTextLine textLine = layout.lineAt(line);
    return textLine.cursorToX(static_cast<int>(text.indexOf(c, textLine.textStart())));
  };
  EXPECT_NEAR(xOf(0, QLatin1Char('b')), stop, 0.5);
  EXPECT_NEAR(xOf(1, QLatin1Char('c')), 2 * stop, 0.5);
  EXPECT_NEAR(xOf(2, QLatin1Char('d')), stop, 0.5);
}

TEST(MnemonicLabel, UnderlinesMarkedCharactersOnly) {
  MnemonicLabel label(QStringLiteral("&Save && quit"), 2000);
  const auto formats = label.TextLayout().formats();
  ASSERT_EQ(formats.size(), 1);
  EXPECT_EQ(formats[0].start, 0);
  EXPECT_EQ(formats[0].length, 1);
  EXPECT_TRUE(formats[0].format.fontUnderline());
  EXPECT_EQ(label.TextLayout().text(), QStringLiteral("Save & quit"));

  MnemonicLabel literal(QStringLiteral("/TMP/R&D/A.TXT"), 2000, false);
  EXPECT_TRUE(literal.TextLayout().formats().isEmpty());
  EXPECT_EQ(literal.TextLayout().text(), QStringLiteral("/TMP/R&D/A.TXT"));
}

TEST(MnemonicLabel, WrapsAtItsWidestWidth) {
  const QString words = QStringLiteral("word ").repeated(60);
  MnemonicLabel label(words, 200);
  EXPECT_GT(label.TextLayout().lineCount(), 1);
  EXPECT_LE(label.sizeHint().width(), 200);
}

struct KindRow {
  const char* name;
  BoxKind kind;
  BoxRequest request;
  bool presenterAnswer;
  bool result;
};

class KindBoxTest : public ::testing::TestWithParam<KindRow> {};

TEST_P(KindBoxTest, MapsKindToBox) {
  const KindRow& row = GetParam();
  RecordingBoxes boxes;
  boxes.answers.push_back(row.presenterAnswer);
  KindBoxPresenter kinds(boxes);
  EXPECT_EQ(kinds.Show(row.kind, "caf\xE9 & more"), row.result);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0], row.request);
}

BoxRequest Request(const char* title, BoxIcon icon, BoxButtons buttons) {
  return BoxRequest{QString::fromLatin1(title), QStringLiteral("caf\u00E9 & more"), icon, buttons,
                    true};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KindBoxTest,
    ::testing::Values(
        KindRow{"Information", BoxKind::kInformation,
                Request("Information", BoxIcon::kInformation, BoxButtons::kOk), true, false},
        KindRow{"Error", BoxKind::kError, Request("Error", BoxIcon::kStop, BoxButtons::kCancel),
                true, false},
        KindRow{"ConfirmYes", BoxKind::kConfirm,
                Request("Confirm", BoxIcon::kQuestion, BoxButtons::kYesNo), true, true},
        KindRow{"ConfirmNo", BoxKind::kConfirm,
                Request("Confirm", BoxIcon::kQuestion, BoxButtons::kYesNo), false, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace welcomer
