#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtMessageBox.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace aql {
namespace {

using platform::qt::QtFileDialog;

// Runs `step` on the modal window of type T once it is up (polling, as the dialog runs its own
// event loop).
template <class T> void whenShown(std::function<void(T *)> step) {
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, step] {
        if (auto *window = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            step(window);
        }
    });
    poll->start(10);
}

// Types `name` into the save dialog and accepts it, as the Save button does.
void typeAndAccept(const QString &name) {
    whenShown<QFileDialog>([name](QFileDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

TEST(QtFileDialog, theAddedExtensionIsCheckedForAnExistingFileBeforeItIsChosen) {
    test::TempDir dir;
    std::ofstream(dir.path() / "log.csv") << "held\r\n";
    QtFileDialog dialog;
    QString question;
    typeAndAccept(QStringLiteral("log"));
    whenShown<QMessageBox>([&question](QMessageBox *box) {
        question = box->text();
        box->button(QMessageBox::No)->click();
        // The operator thinks again and cancels the dialog.
        whenShown<QFileDialog>([](QFileDialog *d) { d->reject(); });
    });
    EXPECT_FALSE(dialog.saveFile(dir.path().u8string(), "CSV files|*.csv"));
    EXPECT_TRUE(question.contains(QStringLiteral("log.csv"))) << question.toStdString();
}

TEST(QtMessageBox, onlyOkOnAnOkCancelBoxIsConsent) {
    // Style, then how the box is left: a key, or 0 for its close box.
    const std::tuple<int, int, QMessageBox::StandardButtons, int> cases[] = {
        {0, Qt::Key_Escape, QMessageBox::Ok, platform::kResultOk},
        {33, Qt::Key_Return, QMessageBox::Ok | QMessageBox::Cancel, platform::kResultOk},
        {33, Qt::Key_Escape, QMessageBox::Ok | QMessageBox::Cancel, platform::kResultCancel},
        {65, 0, QMessageBox::Ok | QMessageBox::Cancel, platform::kResultCancel}};
    for (const auto &[style, leave, buttons, result] : cases) {
        SCOPED_TRACE(style);
        whenShown<QMessageBox>([leave = leave, buttons = buttons](QMessageBox *box) {
            EXPECT_EQ(box->standardButtons(), buttons);
            leave != 0 ? QTest::keyClick(box, Qt::Key(leave)) : void(box->close());
        });
        EXPECT_EQ(platform::qt::QtMessageBox(QStringLiteral("AQL")).show("?", style, {}), result);
    }
}

} // namespace
} // namespace aql
