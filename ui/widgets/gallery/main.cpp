// Every drawn widget in the states the console shows, for looking at them and for screenshots:
//   widget-gallery [--grab FILE.png]
// With --grab the window is drawn once into FILE.png and the program ends.

#include "ui/widgets/ArrowButton.h"
#include "ui/widgets/Colours.h"
#include "ui/widgets/Keypad.h"
#include "ui/widgets/Lamp.h"
#include "ui/widgets/LcdDisplay.h"
#include "ui/widgets/SlidingPanel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>
#include <string>

using namespace aql::ui;

namespace {

// Four lines of Latin-1 bytes, each padded or cut to 20 cells.
LcdDisplay::Cells cellsOf(const std::string &line0, const std::string &line1,
                          const std::string &line2, const std::string &line3) {
    LcdDisplay::Cells cells{};
    const std::string lines[] = {line0, line1, line2, line3};
    for (int row = 0; row < LcdDisplay::kRows; ++row) {
        const std::string &line = lines[row];
        for (int column = 0; column < LcdDisplay::kColumns; ++column) {
            const auto at = static_cast<std::size_t>(column);
            cells.at(static_cast<std::size_t>(row) * LcdDisplay::kColumns + at) =
                at < line.size() ? line[at] : '\0';
        }
    }
    return cells;
}

QLabel *note(const QString &text) {
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    QPalette muted = label->palette();
    muted.setColor(QPalette::WindowText, muted.color(QPalette::PlaceholderText));
    label->setPalette(muted);
    return label;
}

QWidget *displays() {
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(16);

    auto *lit = new LcdDisplay;
    lit->setBacklight(QColor(colours::kBacklightOn));
    lit->setCells(cellsOf("AQL-170   pool 1", "pH   7.21  SP  7.20",
                          "H2O2 712 mV & 28\xB0"
                          "C",
                          "Temp\xE9rature  RUN"));
    LcdDisplay::CursorCells cursor{};
    cursor[25] = true;
    lit->setCursorCells(cursor);
    grid->addWidget(lit, 0, 0);
    grid->addWidget(note(QStringLiteral("Backlight on, cursor on row 2, \"&\" and Latin-1")), 1, 0);

    auto *unlit = new LcdDisplay;
    grid->addWidget(unlit, 0, 1);
    grid->addWidget(note(QStringLiteral("Offline: cleared, backlight off")), 1, 1);

    auto *stale = new LcdDisplay;
    stale->setBacklight(QColor(colours::kBacklightOn));
    stale->setCells(cellsOf("pH   7.21  SP  7.20", "Cl   0.77  SP  0.80", "Rx  738mV  Flow 47",
                            "27.1C  AUTO    08:00"));
    stale->setStale(true, QStringLiteral("No reply"));
    grid->addWidget(stale, 2, 0);
    grid->addWidget(note(QStringLiteral("Online, no reply for 2 s: dimmed under a note")), 3, 0);

    auto *box = new QWidget;
    box->setLayout(grid);
    return box;
}

QLayout *lampRow(Lamp::CaptionPlacement placement, bool lit) {
    auto *row = new QHBoxLayout;
    row->setSpacing(24);
    const struct {
        const char *caption;
        QRgb colour;
    } lamps[] = {{"RUN", colours::kRunLamp},
                 {"ALARM", colours::kAlarmLamp},
                 {"MANUAL", colours::kManualLamp}};
    for (const auto &entry : lamps) {
        auto *lamp = new Lamp(QString::fromLatin1(entry.caption));
        lamp->setCaptionPlacement(placement);
        lamp->setColour(QColor(lit ? entry.colour : colours::kLampOff));
        row->addWidget(lamp);
    }
    row->addStretch();
    return row;
}

QWidget *keypadWithNote(Keypad *keypad, const QString &text) {
    // Printed, so a click (or an assistive tool's press) can be checked from outside.
    QObject::connect(keypad, &Keypad::keyClicked, [](int index) {
        std::printf("key %d\n", index);
        std::fflush(stdout);
    });
    auto *column = new QVBoxLayout;
    column->addWidget(keypad, 1);
    QLabel *caption = note(text);
    caption->setAlignment(Qt::AlignHCenter);
    column->addWidget(caption);
    auto *box = new QWidget;
    box->setLayout(column);
    return box;
}

// The settings panel's content: the mode buttons in the controller's green.
QWidget *modeButtons() {
    auto *frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(frame);
    const QString green = QStringLiteral("background-color: rgb(140, 198, 62);");
    for (const char *text : {"&Offline", "O&nline"}) {
        auto *option = new QRadioButton(QString::fromLatin1(text));
        option->setStyleSheet(green + QStringLiteral(" padding: 3px 6px; border-radius: 3px;"));
        row->addWidget(option);
    }
    for (const char *text : {"&Get Log", "&Save"}) {
        auto *button = new QPushButton(QString::fromLatin1(text));
        button->setStyleSheet(green + QStringLiteral(" padding: 4px 10px; border: 1px solid "
                                                     "rgb(100, 150, 40); border-radius: 3px;"));
        row->addWidget(button);
    }
    row->addStretch();
    return frame;
}

SlidingPanel *modePanel(int position) {
    auto *panel = new SlidingPanel;
    panel->setContent(modeButtons());
    panel->setRange(100, 2100);
    panel->setPosition(position);
    panel->setAutoFillBackground(true);
    QPalette back = panel->palette();
    back.setColor(QPalette::Window, back.color(QPalette::Base));
    panel->setPalette(back);
    return panel;
}

// A caption line (with an optional button before it) over a panel.
QLayout *captioned(QWidget *panel, const QString &caption, QWidget *button = nullptr) {
    auto *header = new QHBoxLayout;
    if (button) {
        header->addWidget(button);
    }
    header->addWidget(note(caption), 1);
    auto *column = new QVBoxLayout;
    column->setSpacing(4);
    column->addLayout(header);
    column->addWidget(panel);
    return column;
}

QWidget *panels() {
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    const struct {
        int position;
        const char *caption;
    } states[] = {{100, "Up (100)"}, {1100, "Halfway (1100)"}, {2100, "Down (2100)"}};
    int slot = 0;
    for (const auto &state : states) {
        grid->addLayout(captioned(modePanel(state.position), QString::fromLatin1(state.caption)),
                        slot / 2, slot % 2);
        ++slot;
    }

    // A live one: the slide button steps the position every 15 ms, as the console's logic does.
    SlidingPanel *panel = modePanel(100);
    auto *shift = new ArrowButton;
    shift->setAccessibleName(QStringLiteral("Slide the panel"));
    auto *timer = new QTimer(panel);
    timer->setInterval(15);
    auto down = std::make_shared<bool>(false);
    QObject::connect(shift, &QAbstractButton::clicked, panel, [=] {
        *down = !*down;
        shift->setArrow(*down ? Qt::UpArrow : Qt::DownArrow);
        timer->start();
    });
    QObject::connect(timer, &QTimer::timeout, panel, [=] {
        const int target = *down ? 2100 : 100;
        if (panel->position() == target) {
            timer->stop();
            return;
        }
        panel->setPosition(panel->position() + (target > panel->position() ? 200 : -200));
    });
    grid->addLayout(captioned(panel, QStringLiteral("Live: press the arrow"), shift), slot / 2,
                    slot % 2);

    auto *box = new QWidget;
    box->setLayout(grid);
    return box;
}

QWidget *gallery() {
    auto *window = new QWidget;
    window->setWindowTitle(QStringLiteral("AQL widget gallery"));
    auto *page = new QVBoxLayout(window);
    page->setSpacing(12);

    auto *title = new QLabel(QStringLiteral("AQL Remote: drawn widgets"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    title->setFont(big);
    QPalette blue = title->palette();
    blue.setColor(QPalette::WindowText, QColor(colours::kBlue));
    title->setPalette(blue);
    page->addWidget(title);
    auto *line = new QFrame;
    line->setFixedHeight(3);
    line->setAutoFillBackground(true);
    QPalette green = line->palette();
    green.setColor(QPalette::Window, QColor(colours::kGreen));
    line->setPalette(green);
    page->addWidget(line);

    auto *displayBox = new QGroupBox(QStringLiteral("Display"));
    auto *displayLayout = new QVBoxLayout(displayBox);
    displayLayout->addWidget(displays());
    page->addWidget(displayBox, 2);

    auto *lower = new QHBoxLayout;
    lower->setSpacing(12);
    auto *lampBox = new QGroupBox(QStringLiteral("Lamps"));
    auto *lamps = new QVBoxLayout(lampBox);
    lamps->addLayout(lampRow(Lamp::CaptionPlacement::Right, true));
    lamps->addLayout(lampRow(Lamp::CaptionPlacement::Right, false));
    lamps->addLayout(lampRow(Lamp::CaptionPlacement::Below, true));
    lamps->addWidget(note(QStringLiteral("Lit, off (black), caption below")));
    lamps->addStretch();
    lower->addWidget(lampBox);

    auto *keypadBox = new QGroupBox(QStringLiteral("Keypad"));
    auto *keypads = new QHBoxLayout(keypadBox);
    keypads->addWidget(keypadWithNote(new Keypad, QStringLiteral("Online")), 1);
    auto *pressed = new Keypad;
    pressed->setPressed(Keypad::Accept, true);
    keypads->addWidget(keypadWithNote(pressed, QStringLiteral("Accept (V) pressed")), 1);
    auto *covered = new Keypad;
    covered->setCovered(true);
    keypads->addWidget(keypadWithNote(covered, QStringLiteral("Offline: covered")), 1);
    lower->addWidget(keypadBox, 1);
    page->addLayout(lower, 1);

    auto *panelBox = new QGroupBox(QStringLiteral("Settings panel slide"));
    auto *panelLayout = new QVBoxLayout(panelBox);
    panelLayout->addWidget(panels());
    page->addWidget(panelBox);
    return window;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QString grabFile;
    const QStringList args = QCoreApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--grab"));
    if (at >= 0 && at + 1 < args.size()) {
        grabFile = args.at(at + 1);
    }

    QWidget *window = gallery();
    window->show();
    if (grabFile.isEmpty()) {
        const int status = QApplication::exec();
        delete window;
        return status;
    }
    QApplication::processEvents();
    QDir().mkpath(QFileInfo(grabFile).absolutePath());
    const bool saved = window->grab().save(grabFile);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(grabFile));
    delete window;
    return saved ? 0 : 1;
}
