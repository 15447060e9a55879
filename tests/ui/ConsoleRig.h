#pragma once

// The whole console in a program folder of its own, the operator's hands in modal loops, a look.

#include "aqlremote/ConsoleApp.h"
#include "support/ShellRig.h"
#include "ui/ConfigurationWindow.h"
#include "unit/shell/LogRecords.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace aql::test {

// The program with every window it has, in a program folder of its own.
struct ConsoleRig {
    ShellRig folder{kTwoSystemSite, ShellRig::Texts::Shipped}; // its fakes stay unused
    std::unique_ptr<app::ConsoleApp> app;

    ConsoleRig() {
        app::ConsoleOptions options;
        options.programFolder = folder.dir.path();
        options.settingsFile = QString::fromStdString((folder.dir / "settings.ini").u8string());
        options.windows = app::availableWindows();
        app = std::make_unique<app::ConsoleApp>(std::move(options));
        EXPECT_TRUE(app->start());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&app->window()));
    }
    shell::MainController &main() { return app->main(); }
    void hold(int first, int count) {
        addLogRecords(main().currentPool()->records(), first, count);
    }
};

template <class T> std::function<bool(QWidget *)> isA() {
    return [](QWidget *w) { return qobject_cast<T *>(w) != nullptr; };
}

// The operator's hands while modal windows run their own loops: each step acts on the modal window
// it waits for once it is in front, and may open the next one. A message box no step waits for is
// noted and closed, so that a test fails instead of hanging.
class ModalScript {
public:
    struct Step {
        std::function<bool(QWidget *)> waitsFor;
        std::function<void(QWidget *)> act;
    };

    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
        m_poll.start(10);
    }
    bool finished() const { return m_next == m_steps.size(); }
    std::vector<std::string> unexpectedBoxes;

private:
    void poll() {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (!finished() && m_steps[m_next].waitsFor(modal)) {
            // Out of the poll, which would not fire again while the action runs a modal loop.
            QTimer::singleShot(0, modal, [act = m_steps[m_next].act, modal] { act(modal); });
            ++m_next;
            return;
        }
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            unexpectedBoxes.push_back(box->text().toStdString());
            box->close();
        }
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QTimer m_poll;
};

// A changed text reaches a window's size one layout level per round of events.
inline void settleLayouts() {
    for (int level = 0; level < 6; ++level) {
        QApplication::processEvents();
    }
}

// Every visible control with text has at least the room it asks for, lies inside its parent and
// overlaps no other such control. Returns how many controls it checked.
inline std::size_t expectLooksRight(QWidget &window, const QString &name, const QString &language) {
    settleLayouts();
    SCOPED_TRACE(name.toStdString() + " " + language.toStdString());
    std::vector<QWidget *> shown;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        const auto *label = qobject_cast<QLabel *>(w);
        const auto *button = qobject_cast<QAbstractButton *>(w);
        const bool text = (label != nullptr && !label->text().isEmpty()) ||
                          (button != nullptr && !button->text().isEmpty()) ||
                          w->inherits("QComboBox") || w->inherits("aql::ui::Lamp") ||
                          w->inherits("aql::ui::LcdDisplay") || w->inherits("aql::ui::Keypad");
        if (text && w->isVisibleTo(&window) && !qobject_cast<QMenu *>(w->window())) {
            shown.push_back(w);
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        QWidget *w = shown[i];
        SCOPED_TRACE(w->objectName().toStdString() + " " + w->metaObject()->className());
        EXPECT_GE(w->width(), w->minimumSizeHint().width());
        EXPECT_GE(w->height(), w->minimumSizeHint().height());
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << "outside its parent";
        for (QWidget *other : std::vector<QWidget *>(shown.begin() + i + 1, shown.end())) {
            if (!w->isAncestorOf(other) && !other->isAncestorOf(w)) {
                EXPECT_FALSE(QRect(w->mapTo(&window, QPoint()), w->size())
                                 .intersects(QRect(other->mapTo(&window, QPoint()), other->size())))
                    << "overlaps " << other->objectName().toStdString();
            }
        }
    }
    return shown.size();
}

} // namespace aql::test
