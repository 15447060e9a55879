// The variables window against the simulated controller over loopback TCP, with the real Qt
// socket and timers: what the controller holds shows in the cells, and a value typed into the
// window ends up in the controller and back in its cell.

#include "link/Console.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtEventPump.h"
#include "platform/qt/QtSocket.h"
#include "platform/qt/QtTimerFactory.h"
#include "records/RecordList.h"
#include "sim/Options.h"
#include "sim/Variables.h"
#include "sim/server/SimServer.h"
#include "support/LinkFakes.h"
#include "ui/VariablesWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace aql;

TEST(VariablesWindowAgainstSimulator, aTypedValueReachesTheControllerAndComesBack) {
    sim::Options options;
    options.records = 0;
    options.seed = 5;
    sim::SimServer server(options);
    const quint16 port = server.listen(QHostAddress::LocalHost, 0);
    ASSERT_NE(port, 0);
    sim::Controller &device = server.simulator().controller();
    const sim::VarRef setpoint = sim::var::kClSetpoint;
    const int held = device.variables().value(setpoint);

    platform::qt::QtSocket socket;
    platform::qt::QtTimerFactory timers;
    platform::qt::QtEventPump pump;
    test::RecordingMessageBox box;
    test::CountingBeep beep;
    platform::qt::QtClock clock;
    records::RecordList records;
    link::Console console{{socket, timers, pump, box, beep, clock}, test::numberedText};
    console.setCurrentPool(&records, options.address);
    console.setEndpoint("127.0.0.1", std::to_string(port));
    console.chooseOnline();
    ASSERT_TRUE(console.connected());

    ui::VariablesWindow window(console.variables(), test::numberedText);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    const int cell = (setpoint.block - 1) * 25 + (setpoint.index - 1);
    QLineEdit *value = window.valueCell(cell);
    EXPECT_TRUE(QTest::qWaitFor([&] { return value->text() == QString::number(held); }, 8000))
        << value->text().toStdString() << " instead of " << held;

    const int wanted = held == 150 ? 160 : 150;
    window.findChild<QTabWidget *>(QStringLiteral("blocks"))->setCurrentIndex(setpoint.block - 1);
    QTest::mouseClick(value, Qt::LeftButton, {}, value->rect().center());
    auto *edit = window.findChild<QLineEdit *>(QStringLiteral("editBox"));
    ASSERT_TRUE(edit->isVisible());
    QTest::keyClicks(edit, QString::number(wanted));
    QTest::keyClick(edit, Qt::Key_Return);

    EXPECT_TRUE(
        QTest::qWaitFor([&] { return device.variables().value(setpoint) == wanted; }, 8000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return value->text() == QString::number(wanted); }, 8000));
    EXPECT_FALSE(console.loadedVariables()->writePending());
    EXPECT_TRUE(box.shown.empty());
    console.chooseOffline();
}
