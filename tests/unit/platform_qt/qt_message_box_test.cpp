#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using aql::platform::kResultCancel;
using aql::platform::kResultOk;
using QMB = QMessageBox;

TEST(QtMessageBox, styleSetsButtonsAndIconAndOnlyOkOnAnOkCancelBoxIsConsent) {
    // Style, then how the box is left: a key, or 0 for its close box.
    const std::tuple<int, int, QMB::StandardButtons, QMB::Icon, int> cases[] = {
        {0, Qt::Key_Escape, QMB::Ok, QMB::NoIcon, kResultOk},
        {16, 0, QMB::Ok, QMB::Critical, kResultOk},
        {48, Qt::Key_Return, QMB::Ok, QMB::Warning, kResultOk},
        {33, Qt::Key_Return, QMB::Ok | QMB::Cancel, QMB::Question, kResultOk},
        {33, Qt::Key_Escape, QMB::Ok | QMB::Cancel, QMB::Question, kResultCancel},
        {65, 0, QMB::Ok | QMB::Cancel, QMB::Information, kResultCancel}};
    for (const auto &[style, leave, buttons, icon, result] : cases) {
        SCOPED_TRACE(style);
        QTimer answer;
        int tries = 0;
        QObject::connect(
            &answer, &QTimer::timeout, [&, leave = leave, buttons = buttons, icon = icon] {
                auto *box = qobject_cast<QMB *>(QApplication::activeModalWidget());
                if (box != nullptr && ++tries == 1) {
                    EXPECT_EQ(box->standardButtons(), buttons);
                    EXPECT_EQ(box->icon(), icon);
                    leave != 0 ? QTest::keyClick(box, Qt::Key(leave)) : void(box->close());
                } else if (box != nullptr && tries > 100) {
                    box->hide(); // the answer did not close it
                }
            });
        answer.start(10);
        EXPECT_EQ(aql::platform::qt::QtMessageBox(QStringLiteral("AQL")).show("?", style, {}),
                  result);
        EXPECT_EQ(tries, 1);
    }
}
