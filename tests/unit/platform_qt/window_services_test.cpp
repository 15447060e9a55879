#include "platform/qt/QtFileOpener.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>

namespace aql {
namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

TEST(QtFileOpener, opensAnExistingFileThroughTheDesktopAndRefusesAMissingOne) {
    UrlCatcher catcher;
    // Instead of a spreadsheet program: the desktop hands file URLs to the catcher.
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    test::TempDir dir;
    const auto file = dir.path() / "log.xlsx";
    std::ofstream(file, std::ios::binary) << "PK";

    platform::qt::QtFileOpener opener;
    EXPECT_TRUE(opener.open(file));
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(QString::fromStdString(file.u8string())));

    EXPECT_FALSE(opener.open(dir.path() / "missing.xlsx"));
    EXPECT_FALSE(opener.open(dir.path()));
    EXPECT_EQ(catcher.urls.size(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

} // namespace
} // namespace aql

#include "window_services_test.moc"
