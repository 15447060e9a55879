// The drawn widgets on their own: where they draw, what they repaint, what assistive tools read.
// Clicks through the main window are tested there against the simulated controller.

#include "ui/widgets/Colours.h"
#include "ui/widgets/Keypad.h"
#include "ui/widgets/Lamp.h"
#include "ui/widgets/LcdDisplay.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using aql::ui::Keypad;
using aql::ui::Lamp;
using aql::ui::LcdDisplay;
namespace colours = aql::ui::colours;

namespace {

QColor pixelAt(const QImage &image, QPoint at) {
    return image.pixelColor((QPointF(at) * image.devicePixelRatio()).toPoint());
}

// The paint events a widget receives after a change, once the window system has had its turn:
// a change drawn right in grab() but never repainted would leave the operator a stale picture.
int paintsAfter(QWidget *widget, const std::function<void()> &change) {
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *event) override {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    QCoreApplication::processEvents();
    widget->installEventFilter(&counter);
    change();
    QCoreApplication::processEvents();
    widget->removeEventFilter(&counter);
    return counter.paints;
}

} // namespace

TEST(Keypad, thePressedFlashRepaintsAndChangesOnlyThatKey) {
    Keypad pad;
    pad.resize(pad.sizeHint());
    pad.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pad));
    for (int index = 0; index < Keypad::kKeys; ++index) {
        const int paints = paintsAfter(pad.keyButton(index), [&] { pad.setPressed(4, true); });
        EXPECT_EQ(paints > 0, index == Keypad::Accept) << "key " << index;
        pad.setPressed(Keypad::Accept, false);
    }
    const QImage before = pad.grab().toImage();
    pad.setPressed(Keypad::Accept, true);
    const QImage during = pad.grab().toImage();
    pad.setPressed(Keypad::Accept, false);
    const qreal ratio = before.devicePixelRatio();
    for (int index = 0; index < Keypad::kKeys; ++index) {
        const QRect r = pad.keyRect(index);
        const QRect device(r.topLeft() * ratio, r.size() * ratio);
        EXPECT_EQ(before.copy(device) != during.copy(device), index == Keypad::Accept) << index;
    }
    EXPECT_EQ(pad.grab().toImage(), before);
}

TEST(LcdDisplay, theCursorBlockIsPaintedOnItsCellOverTheBacklightAndRepaintedOnlyOnAChange) {
    LcdDisplay lcd;
    lcd.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lcd));
    lcd.setBacklight(QColor(colours::kBacklightOn));
    LcdDisplay::CursorCells cursor{};
    cursor[25] = true;
    EXPECT_GT(paintsAfter(&lcd, [&] { lcd.setCursorCells(cursor); }), 0);
    LcdDisplay::Cells cells{'p', 'H'};
    EXPECT_GT(paintsAfter(&lcd, [&] { lcd.setCells(cells); }), 0);
    EXPECT_EQ(paintsAfter(&lcd, [&] { lcd.setCells(cells); }), 0) << "an unchanged packet";
    lcd.setCells({});
    QImage image = lcd.grab().toImage();
    EXPECT_LT(pixelAt(image, lcd.cellRect(25).center()).value(), 40) << "no block on cell 25";
    EXPECT_GT(pixelAt(image, lcd.cellRect(26).center()).value(), 200) << "cell 26 painted";
    const QRect first = lcd.cellRect(0);
    EXPECT_EQ(pixelAt(image, first.topLeft() - QPoint(4, 4)).rgb(), colours::kBacklightOn);
    lcd.setCursorCells({});
    image = lcd.grab().toImage();
    EXPECT_GT(pixelAt(image, lcd.cellRect(25).center()).value(), 200);
}

TEST(LcdDisplay, charactersGrowWithTheFontAndTheSizeAndAreReadableFromAMetre) {
    LcdDisplay lcd;
    QSize previous;
    for (const qreal points : {10.0, 20.0, 30.0}) {
        lcd.setFont(LcdDisplay::defaultFont(points));
        EXPECT_GT(lcd.minimumSizeHint().width(), previous.width()) << points;
        EXPECT_GT(lcd.minimumSizeHint().height(), previous.height()) << points;
        previous = lcd.minimumSizeHint();
    }
    const QSize least = LcdDisplay().minimumSizeHint();
    const struct {
        QSize size;
        qreal growth; // the cell height against the smallest
    } cases[] = {{least, 1.0},
                 {QSize(least.width() * 3, least.height()), 1.0},
                 {QSize(least.width() * 3, least.height() * 2), 2.0}};
    int leastCell = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(QString("%1x%2").arg(c.size.width()).arg(c.size.height()).toStdString());
        LcdDisplay sized;
        sized.resize(c.size);
        for (int cell = 0; cell < LcdDisplay::kCells; ++cell) {
            ASSERT_TRUE(sized.rect().contains(sized.cellRect(cell))) << "cell " << cell;
        }
        leastCell = leastCell == 0 ? sized.cellRect(0).height() : leastCell;
        EXPECT_NEAR(sized.cellRect(0).height(), leastCell * c.growth, 2.0);
        EXPECT_NEAR(sized.scaledFont().pointSizeF(), LcdDisplay::kDefaultPointSize * c.growth, 0.5);
        // Capital letters of about 5 mm read from a metre away.
        EXPECT_GE(QFontMetricsF(sized.scaledFont()).capHeight() / sized.logicalDpiY() * 25.4, 4.5);
    }
}

TEST(Lamp, itsNameCarriesCaptionAndState) {
    Lamp lamp(QStringLiteral("RUN"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&lamp);
    for (const QRgb on : {colours::kRunLamp, colours::kAlarmLamp, colours::kManualLamp}) {
        lamp.setColour(QColor(on));
        EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("RUN on"));
    }
    lamp.setColour(QColor(colours::kLampOff));
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("RUN off"));
}
