#include "platform/qt/QtFileDialog.h"

#include "ModalAnswerer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileDialog>

#include <gtest/gtest.h>

#include <functional>

using aql::platform::qt::QtFileDialog;

namespace {

TEST(QtFileDialogFilter, barSeparatedPairsBecomeQtFilters) {
    EXPECT_EQ(QtFileDialog::toQtFilter("CSV files|*.csv"), QStringLiteral("CSV files (*.csv)"));
    EXPECT_EQ(QtFileDialog::toQtFilter("XML files|*.xml|All files|*.*"),
              QStringLiteral("XML files (*.xml);;All files (*.*)"));
    EXPECT_EQ(QtFileDialog::toQtFilter("Logs|*.csv;*.txt"), QStringLiteral("Logs (*.csv *.txt)"));
    EXPECT_EQ(QtFileDialog::toQtFilter("Everything"), QStringLiteral("Everything (*)"));
    EXPECT_EQ(QtFileDialog::toQtFilter(""), QString());
}

// Runs `dialogCall` and handles the file dialog it opens with `answer`.
std::optional<std::string>
answerDialog(const std::function<std::optional<std::string>()> &dialogCall,
             const std::function<void(QFileDialog *)> &answer) {
    aql::test::ModalAnswerer answerer([&](QWidget *shown) {
        auto *dialog = qobject_cast<QFileDialog *>(shown);
        if (dialog != nullptr) {
            answer(dialog);
        }
        return dialog != nullptr;
    });
    auto result = dialogCall();
    EXPECT_TRUE(answerer.answered()) << "no file dialog appeared";
    return result;
}

TEST(QtFileDialog, openStartsInTheFolderWithTheFilterAndReturnsTheChoice) {
    aql::test::TempDir dir;
    aql::test::writeBytes(dir / "log.csv", "x");
    QtFileDialog dialogs;
    QString folderShown;
    QStringList filtersShown;
    auto chosen =
        answerDialog([&] { return dialogs.openFile(dir.path().string(), "CSV files|*.csv"); },
                     [&](QFileDialog *d) {
                         folderShown = d->directory().absolutePath();
                         filtersShown = d->nameFilters();
                         d->selectFile(QString::fromStdString((dir / "log.csv").string()));
                         QMetaObject::invokeMethod(d, "accept");
                     });
    EXPECT_EQ(folderShown, QDir(QString::fromStdString(dir.path().string())).absolutePath());
    EXPECT_EQ(filtersShown, QStringList{QStringLiteral("CSV files (*.csv)")});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, (dir / "log.csv").string());
}

TEST(QtFileDialog, cancelGivesNoFile) {
    aql::test::TempDir dir;
    QtFileDialog dialogs;
    const auto reject = [](QFileDialog *d) { d->reject(); };
    EXPECT_FALSE(answerDialog(
        [&] { return dialogs.openFile(dir.path().string(), "CSV files|*.csv"); }, reject));
    EXPECT_FALSE(answerDialog(
        [&] { return dialogs.saveFile(dir.path().string(), "XML files|*.xml"); }, reject));
}

} // namespace
