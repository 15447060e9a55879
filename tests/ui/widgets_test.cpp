#include "ui/widgets/Colours.h"
#include "ui/widgets/Keypad.h"
#include "ui/widgets/Lamp.h"
#include "ui/widgets/LcdDisplay.h"
#include "ui/widgets/SlidingPanel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using aql::ui::Keypad;
using aql::ui::Lamp;
using aql::ui::LcdDisplay;
using aql::ui::SlidingPanel;
namespace colours = aql::ui::colours;

namespace {

// A shown top-level window holding one widget at a given size, so clicks travel the real path
// from the window to the child under the pointer.
template <typename W> struct Shown {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    W *widget = new W(window.get());

    explicit Shown(QSize size = {}) {
        if (!size.isValid()) {
            size = widget->sizeHint();
        }
        window->resize(size);
        widget->setGeometry(QRect(QPoint(0, 0), size));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void click(QPoint at) {
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          widget->mapTo(window.get(), at));
    }
};

// Rows of up to 20 characters, the rest of each row empty; '_' stands for an empty cell.
LcdDisplay::Cells cellsOf(std::initializer_list<const char *> rows) {
    LcdDisplay::Cells cells{};
    std::size_t row = 0;
    for (const char *text : rows) {
        for (std::size_t column = 0; column < 20 && text[column] != '\0'; ++column) {
            cells[row * 20 + column] = text[column] == '_' ? '\0' : text[column];
        }
        ++row;
    }
    return cells;
}

QColor pixelAt(const QImage &image, QPoint at) {
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor(
        QPoint(static_cast<int>(at.x() * ratio), static_cast<int>(at.y() * ratio)));
}

// Counts the paint events a widget receives: a change that is drawn right in grab() but never
// repainted on screen would leave the operator looking at a stale picture.
struct PaintCounter : QObject {
    int paints = 0;
    explicit PaintCounter(QWidget *watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject * /*watched*/, QEvent *event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    // Paints that follow a change, once the window system has had its turn.
    int after(const std::function<void()> &change) {
        QCoreApplication::processEvents();
        paints = 0;
        change();
        QCoreApplication::processEvents();
        return paints;
    }
};

} // namespace

// Readable failure messages for texts (GoogleTest looks for this name).
// NOLINTNEXTLINE(readability-identifier-naming)
void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

TEST(Keypad, clickOnEachKeyEmitsItsIndexAndAClickBetweenKeysNothing) {
    Shown<Keypad> pad;
    QSignalSpy clicked(pad.widget, &Keypad::keyClicked);
    for (int index = 0; index < Keypad::kKeys; ++index) {
        SCOPED_TRACE(index);
        clicked.clear();
        pad.click(pad.widget->keyRect(index).center());
        ASSERT_EQ(clicked.count(), 1);
        EXPECT_EQ(clicked.at(0).at(0).toInt(), index);
    }
    clicked.clear();
    const QPoint crossCentre =
        (pad.widget->keyRect(Keypad::Left).center() + pad.widget->keyRect(Keypad::Right).center()) /
        2;
    pad.click(crossCentre);
    pad.click(QPoint(1, 1));
    EXPECT_EQ(clicked.count(), 0);
}

TEST(Keypad, arrowsFormACrossWithAcceptAboveCancelBesideItAtEverySize) {
    Keypad probe;
    const QSize least = probe.minimumSizeHint();
    const QSize sizes[] = {least, probe.sizeHint(), least * 3,
                           QSize(least.width() * 4, least.height()),
                           QSize(least.width(), least.height() * 4)};
    for (const QSize size : sizes) {
        SCOPED_TRACE(QString("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        Keypad pad;
        pad.resize(size);
        QRect key[Keypad::kKeys];
        for (int i = 0; i < Keypad::kKeys; ++i) {
            key[i] = pad.keyRect(i);
            EXPECT_TRUE(pad.rect().contains(key[i])) << "key " << i << " clipped";
            EXPECT_GE(key[i].width(), 28) << "key " << i << " too small to hit";
            for (int j = 0; j < i; ++j) {
                EXPECT_FALSE(key[i].intersects(key[j])) << "keys " << i << " and " << j;
            }
        }
        EXPECT_EQ(key[Keypad::Up].center().x(), key[Keypad::Down].center().x());
        EXPECT_EQ(key[Keypad::Left].center().y(), key[Keypad::Right].center().y());
        EXPECT_LT(key[Keypad::Up].bottom(), key[Keypad::Left].top());
        EXPECT_GT(key[Keypad::Down].top(), key[Keypad::Left].bottom());
        EXPECT_LT(key[Keypad::Left].right(), key[Keypad::Up].left());
        EXPECT_GT(key[Keypad::Right].left(), key[Keypad::Up].right());
        EXPECT_GT(key[Keypad::Accept].left(), key[Keypad::Right].right());
        EXPECT_EQ(key[Keypad::Accept].left(), key[Keypad::Cancel].left());
        EXPECT_LT(key[Keypad::Accept].bottom(), key[Keypad::Cancel].top());
    }
}

TEST(Keypad, coveredKeypadTakesNoClicksUntilUncovered) {
    Shown<Keypad> pad;
    QSignalSpy clicked(pad.widget, &Keypad::keyClicked);
    pad.widget->setCovered(true);
    for (int index = 0; index < Keypad::kKeys; ++index) {
        pad.click(pad.widget->keyRect(index).center());
        EXPECT_FALSE(pad.widget->keyButton(index)->isEnabled());
    }
    EXPECT_EQ(clicked.count(), 0);

    pad.widget->setCovered(false);
    pad.click(pad.widget->keyRect(Keypad::Cancel).center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), Keypad::Cancel);
}

TEST(Keypad, everyKeyIsANamedButtonThatTabReachesSpacePressesAndAToolCanPress) {
    const char *names[] = {"Up", "Right", "Down", "Left", "Accept (V)", "Cancel (X)"};
    Shown<Keypad> pad;
    QApplication::setActiveWindow(pad.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(pad.window.get()));
    QSignalSpy clicked(pad.widget, &Keypad::keyClicked);
    QAccessibleInterface *group = QAccessible::queryAccessibleInterface(pad.widget);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->childCount(), Keypad::kKeys);

    pad.widget->keyButton(Keypad::Up)->setFocus(Qt::TabFocusReason);
    for (int index = 0; index < Keypad::kKeys; ++index) {
        SCOPED_TRACE(names[index]);
        QAccessibleInterface *key = group->child(index);
        EXPECT_EQ(key->role(), QAccessible::Button);
        EXPECT_EQ(key->text(QAccessible::Name), QString::fromLatin1(names[index]));

        ASSERT_EQ(QApplication::focusWidget(), pad.widget->keyButton(index));
        clicked.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        ASSERT_EQ(clicked.count(), 1);
        EXPECT_EQ(clicked.at(0).at(0).toInt(), index);

        clicked.clear();
        // A tool's press animates the button, so the click comes a moment later.
        key->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        ASSERT_TRUE(clicked.wait(2000));
        ASSERT_EQ(clicked.count(), 1);
        EXPECT_EQ(clicked.at(0).at(0).toInt(), index);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

TEST(Keypad, pressedFlashRepaintsAndChangesOnlyThatKey) {
    Shown<Keypad> pad;
    std::vector<std::unique_ptr<PaintCounter>> counters;
    counters.reserve(Keypad::kKeys);
    for (int index = 0; index < Keypad::kKeys; ++index) {
        counters.push_back(std::make_unique<PaintCounter>(pad.widget->keyButton(index)));
    }
    QCoreApplication::processEvents();
    for (auto &counter : counters) {
        counter->paints = 0;
    }
    pad.widget->setPressed(Keypad::Accept, true);
    QCoreApplication::processEvents();
    for (int index = 0; index < Keypad::kKeys; ++index) {
        EXPECT_EQ(counters[static_cast<std::size_t>(index)]->paints > 0, index == Keypad::Accept)
            << "key " << index;
    }
    pad.widget->setPressed(Keypad::Accept, false);

    const QImage before = pad.widget->grab().toImage();
    pad.widget->setPressed(Keypad::Accept, true);
    const QImage during = pad.widget->grab().toImage();
    pad.widget->setPressed(Keypad::Accept, false);
    const QImage after = pad.widget->grab().toImage();
    const qreal ratio = before.devicePixelRatio();
    for (int index = 0; index < Keypad::kKeys; ++index) {
        const QRect r = pad.widget->keyRect(index);
        const QRect device(r.topLeft() * ratio, r.size() * ratio);
        const bool changed = before.copy(device) != during.copy(device);
        EXPECT_EQ(changed, index == Keypad::Accept) << "key " << index;
    }
    EXPECT_FALSE(pad.widget->isPressed(Keypad::Accept));
    EXPECT_EQ(before, after);
}

TEST(LcdDisplay, cellsAndCursorReachTheAccessibleText) {
    Shown<LcdDisplay> lcd;
    // '_' stands for an empty cell; \x07 is a control byte, \xE9 Latin-1 e-acute.
    auto cells = cellsOf({"AQL-170 &", "_pH 7.21\x07\xE9", "", "                 END"});
    lcd.widget->setCells(cells);
    LcdDisplay::CursorCells cursor{};
    cursor[25] = true;
    lcd.widget->setCursorCells(cursor);

    const QString lines[] = {
        QStringLiteral("AQL-170 &           "), QStringLiteral(" pH 7.21 \u00E9          "),
        QStringLiteral("                    "), QStringLiteral("                 END")};
    for (int row = 0; row < LcdDisplay::kRows; ++row) {
        EXPECT_EQ(lcd.widget->lineText(row), lines[row]) << "row " << row;
    }
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(lcd.widget);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->text(QAccessible::Name),
              QStringLiteral("AQL-170 &\n pH 7.21 \u00E9\n\n                 END"));
    const QString full = QStringList(std::begin(lines), std::end(lines)).join('\n');
    EXPECT_EQ(iface->text(QAccessible::Value), full);

    QAccessibleTextInterface *text = iface->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 83);
    EXPECT_EQ(text->text(0, text->characterCount()), full);
    EXPECT_EQ(text->cursorPosition(), 21 + 5);
    EXPECT_EQ(text->text(25, 27), QStringLiteral("7."));
    const QRect cell25 = lcd.widget->cellRect(25);
    EXPECT_EQ(text->characterRect(26),
              QRect(lcd.widget->mapToGlobal(cell25.topLeft()), cell25.size()));
    EXPECT_EQ(text->offsetAtPoint(lcd.widget->mapToGlobal(cell25.center())), 26);

    // A new packet replaces the text.
    lcd.widget->setCells(cellsOf({"pH 7.30"}));
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("pH 7.30\n\n\n"));
}

TEST(LcdDisplay, cursorBlockIsPaintedOnItsCellOnlyOverTheBacklight) {
    Shown<LcdDisplay> lcd;
    lcd.widget->setBacklight(QColor(colours::kBacklightOn));
    LcdDisplay::CursorCells cursor{};
    cursor[25] = true;
    PaintCounter counter(lcd.widget);
    EXPECT_GT(counter.after([&] { lcd.widget->setCursorCells(cursor); }), 0);
    EXPECT_GT(counter.after([&] { lcd.widget->setCells(cellsOf({"pH"})); }), 0);
    EXPECT_EQ(counter.after([&] { lcd.widget->setCells(cellsOf({"pH"})); }), 0)
        << "an unchanged packet repaints nothing";
    lcd.widget->setCells({});
    QImage image = lcd.widget->grab().toImage();
    const QColor block = pixelAt(image, lcd.widget->cellRect(25).center());
    const QColor neighbour = pixelAt(image, lcd.widget->cellRect(26).center());
    EXPECT_LT(block.value(), 40) << "no cursor block on cell 25";
    EXPECT_GT(neighbour.value(), 200) << "cell 26 painted";
    // Between the border and the cells the glass shows the backlight itself.
    const QRect first = lcd.widget->cellRect(0);
    const QColor glass = pixelAt(image, QPoint(first.left() - 4, first.top() - 4));
    EXPECT_EQ(glass.rgb(), colours::kBacklightOn);

    lcd.widget->setCursorCells({});
    image = lcd.widget->grab().toImage();
    EXPECT_GT(pixelAt(image, lcd.widget->cellRect(25).center()).value(), 200);
}

TEST(LcdDisplay, minimumSizeGrowsWithTheFontAndIsReadableFromAMetre) {
    LcdDisplay lcd;
    QSize previous;
    for (const qreal points : {10.0, 20.0, 30.0}) {
        SCOPED_TRACE(points);
        lcd.setFont(LcdDisplay::defaultFont(points));
        const QSize least = lcd.minimumSizeHint();
        if (previous.isValid()) {
            EXPECT_GT(least.width(), previous.width());
            EXPECT_GT(least.height(), previous.height());
        }
        previous = least;
    }
    // Capital letters of about 5 mm read from a metre away.
    LcdDisplay standard;
    standard.resize(standard.minimumSizeHint());
    const qreal capMillimetres =
        QFontMetricsF(standard.scaledFont()).capHeight() / standard.logicalDpiY() * 25.4;
    EXPECT_GE(capMillimetres, 4.5);
}

TEST(LcdDisplay, resizeGrowsTheCharactersAndKeepsEveryCellInside) {
    LcdDisplay probe;
    const QSize least = probe.minimumSizeHint();
    const struct {
        QSize size;
        qreal growth; // expected cell height against the minimum
    } cases[] = {{least, 1.0},
                 {least * 2, 2.0},
                 {QSize(least.width() * 3, least.height()), 1.0},
                 {QSize(least.width(), least.height() * 3), 1.0},
                 {QSize(least.width() * 3, least.height() * 2), 2.0}};
    const int leastCell = [&] {
        LcdDisplay lcd;
        lcd.resize(least);
        return lcd.cellRect(0).height();
    }();
    for (const auto &c : cases) {
        SCOPED_TRACE(QString("%1x%2").arg(c.size.width()).arg(c.size.height()).toStdString());
        LcdDisplay lcd;
        lcd.resize(c.size);
        for (int cell = 0; cell < LcdDisplay::kCells; ++cell) {
            ASSERT_TRUE(lcd.rect().contains(lcd.cellRect(cell))) << "cell " << cell << " clipped";
        }
        EXPECT_NEAR(lcd.cellRect(0).height(), leastCell * c.growth, 2.0);
        EXPECT_NEAR(lcd.scaledFont().pointSizeF(), LcdDisplay::kDefaultPointSize * c.growth, 0.5);
    }
}

TEST(Lamp, accessibleNameCarriesCaptionAndState) {
    const struct {
        QRgb colour;
        const char *name;
    } cases[] = {{colours::kRunLamp, "RUN on"},
                 {colours::kAlarmLamp, "RUN on"},
                 {colours::kManualLamp, "RUN on"},
                 {colours::kLampOff, "RUN off"}};
    Lamp lamp(QStringLiteral("RUN"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&lamp);
    ASSERT_NE(iface, nullptr);
    for (const auto &c : cases) {
        lamp.setColour(QColor(c.colour));
        EXPECT_EQ(iface->text(QAccessible::Name), QString::fromLatin1(c.name));
    }
    lamp.setStateTexts(QStringLiteral("aan"), QStringLiteral("uit"));
    lamp.setCaption(QStringLiteral("ALARM"));
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("ALARM uit"));
}

TEST(Lamp, lampGrowsWithFontAndSizeAndNeverCoversItsCaption) {
    for (const auto placement : {Lamp::CaptionPlacement::Right, Lamp::CaptionPlacement::Below}) {
        qreal previous = 0;
        for (const int points : {9, 14, 20}) {
            Lamp lamp(QStringLiteral("MANUAL"));
            lamp.setCaptionPlacement(placement);
            QFont font = lamp.font();
            font.setPointSize(points);
            lamp.setFont(font);
            lamp.resize(lamp.minimumSizeHint());
            const QRectF drawn = lamp.lampRect();
            const QFontMetricsF metrics(font);
            EXPECT_GE(drawn.width(), metrics.height() * 1.4);
            EXPECT_GT(drawn.width(), previous);
            previous = drawn.width();
            EXPECT_TRUE(QRectF(lamp.rect()).contains(drawn));
            // The caption needs its advance beside or its line below the lamp.
            if (placement == Lamp::CaptionPlacement::Right) {
                EXPECT_GE(lamp.width() - drawn.right(), metrics.horizontalAdvance("MANUAL"));
            } else {
                EXPECT_GE(lamp.height() - drawn.bottom(), metrics.height());
            }
            lamp.resize(lamp.size() * 2);
            EXPECT_GT(lamp.lampRect().width(), drawn.width() * 1.5);
        }
    }
}

TEST(SlidingPanel, contentFollowsThePositionAndStopsAtTheEnds) {
    auto *content = new QWidget;
    content->setMinimumSize(200, 40);
    SlidingPanel panel;
    panel.setContent(content);
    panel.setRange(100, 2100);
    panel.resize(panel.sizeHint());
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    ASSERT_EQ(panel.travel(), 40) << "travel defaults to the content's height";

    const struct {
        int position;
        int top;
    } cases[] = {{100, 0}, {300, 4}, {1100, 20}, {2100, 40}, {2300, 40}, {-100, 0}};
    for (const auto &c : cases) {
        panel.setPosition(c.position);
        EXPECT_EQ(content->y(), c.top) << "position " << c.position;
        EXPECT_EQ(content->width(), panel.width());
    }
    // Down in a taller panel: the content follows the new bottom.
    panel.setPosition(2100);
    panel.resize(panel.width(), 200);
    EXPECT_EQ(content->geometry().bottom(), panel.rect().bottom());

    // The owner can ask for a longer slide than the content's height.
    panel.setMinimumTravel(120);
    EXPECT_EQ(panel.minimumSizeHint().height(), 160);
}
