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

// Types `name` into the save dialog, picks the file type `filter` first when given, and accepts.
void typeAndAccept(const QString &name, const QString &filter = {}) {
    whenShown<QFileDialog>([name, filter](QFileDialog *dialog) {
        if (!filter.isEmpty()) {
            dialog->selectNameFilter(filter);
            emit dialog->filterSelected(filter); // as the type box does when the operator picks
        }
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
        // As the Save button does.
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

TEST(QtFileDialog, aNameTypedWithoutExtensionTakesThatOfTheChosenType) {
    test::TempDir dir;
    const std::string folder = dir.path().u8string();
    struct Case {
        QString typed;
        QString filter; // empty: the first type of the dialog
        std::string saved;
    };
    const Case cases[] = {
        {QStringLiteral("log"), {}, "log.csv"},
        {QStringLiteral("log.csv"), {}, "log.csv"},
        {QStringLiteral("week 12"), QStringLiteral("XML files (*.xml)"), "week 12.xml"},
        {QStringLiteral("report.txt"), QStringLiteral("XML files (*.xml)"), "report.txt"},
        {QStringLiteral("raw"), QStringLiteral("All files (*.*)"), "raw"},
        {QStringLiteral("notes"), QStringLiteral("Texts (*.txt *.csv)"), "notes.txt"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QtFileDialog dialog;
        typeAndAccept(c.typed, c.filter);
        const std::optional<std::string> chosen = dialog.saveFile(
            folder, "CSV files|*.csv|XML files|*.xml|Texts|*.txt *.csv|All files|*.*");
        ASSERT_TRUE(chosen);
        EXPECT_EQ(*chosen, (dir.path() / c.saved).u8string());
    }
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
