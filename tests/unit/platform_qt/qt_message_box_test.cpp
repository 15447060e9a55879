#include "platform/qt/QtMessageBox.h"

#include "ModalAnswerer.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using aql::platform::kResultCancel;
using aql::platform::kResultOk;
using aql::platform::qt::QtMessageBox;

namespace {

struct Seen {
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
};

// Shows a box and answers it with `answer`, recording what the box looked like.
int showAndAnswer(QtMessageBox &box, const std::string &text, int style, const std::string &title,
                  const std::function<void(QMessageBox *)> &answer, Seen &seen) {
    aql::test::ModalAnswerer answerer([&](QWidget *shown) {
        auto *msg = qobject_cast<QMessageBox *>(shown);
        if (msg != nullptr) {
            seen = {msg->standardButtons(), msg->icon(), msg->windowTitle(), msg->text()};
            answer(msg);
        }
        return msg != nullptr;
    });
    const int result = box.show(text, style, title);
    EXPECT_TRUE(answerer.answered()) << "no modal box appeared";
    return result;
}

const auto pressOk = [](QMessageBox *b) { b->button(QMessageBox::Ok)->click(); };
const auto pressCancel = [](QMessageBox *b) { b->button(QMessageBox::Cancel)->click(); };
const auto pressEscape = [](QMessageBox *b) { QTest::keyClick(b, Qt::Key_Escape); };
const auto closeBox = [](QMessageBox *b) { b->close(); };

TEST(QtMessageBox, stylesZeroAndSixteenOfferOnlyOkSoEveryWayOutIsOk) {
    QtMessageBox box(QStringLiteral("AQL Remote"));
    Seen seen;
    EXPECT_EQ(showAndAnswer(box, "Saved", 0, {}, pressEscape, seen), kResultOk);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(showAndAnswer(box, "Socket error", 16, {}, closeBox, seen), kResultOk);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(QtMessageBox, styleThirtyThreeAsksOkOrCancelAndLeavingIsCancel) {
    QtMessageBox box(QStringLiteral("AQL Remote"));
    Seen seen;
    EXPECT_EQ(showAndAnswer(box, "Save changes?", 33, {}, pressOk, seen), kResultOk);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(showAndAnswer(box, "Save changes?", 33, {}, pressCancel, seen), kResultCancel);
    EXPECT_EQ(showAndAnswer(box, "Save changes?", 33, {}, pressEscape, seen), kResultCancel);
    EXPECT_EQ(showAndAnswer(box, "Save changes?", 33, {}, closeBox, seen), kResultCancel);
}

TEST(QtMessageBox, titleFallsBackToProgramTitleAndTextKeepsItsLineBreaks) {
    QtMessageBox box(QStringLiteral("AQL Remote"));
    Seen seen;
    showAndAnswer(box, "Connection refused\r\n\r\nCheck the cable\rand the port 10\xB0 caf\xE9", 16,
                  {}, pressOk, seen);
    EXPECT_EQ(seen.title, QStringLiteral("AQL Remote"));
    EXPECT_EQ(seen.text, QString::fromUtf8("Connection refused\n\nCheck the cable\nand the port "
                                           "10\u00B0 caf\u00E9"));
    showAndAnswer(box, "x", 0, "AQLRemote - V2.0 Error #: 11", pressOk, seen);
    EXPECT_EQ(seen.title, QStringLiteral("AQLRemote - V2.0 Error #: 11"));
}

} // namespace
