#include "ui/KeyRouter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace aql::ui {

KeyRouter::KeyRouter(QWidget *window, std::function<void(int keyCode)> keyDown, QObject *parent)
    : QObject(parent), m_window(window), m_keyDown(std::move(keyDown)) {}

int KeyRouter::keyCodeOf(int qtKey) {
    // The numbers are the virtual key codes the keypad mapping has always been written in.
    switch (qtKey) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_V: return 86;
    case Qt::Key_X: return 88;
    case Qt::Key_F7: return 118;
    case Qt::Key_F9: return 120;
    default: return 0;
    }
}

bool KeyRouter::routes(QObject *receiver, const QKeyEvent &key) const {
    if (!m_window || !receiver->isWidgetType()) {
        return false;
    }
    auto *widget = static_cast<QWidget *>(receiver);
    if (widget->window() != m_window) {
        return false; // another window, a dialog or a popup list of this one
    }
    if (QApplication::activePopupWidget() != nullptr) {
        return false;
    }
    for (QWidget *w = widget; w != nullptr; w = w->parentWidget()) {
        if (qobject_cast<QMenuBar *>(w) != nullptr || qobject_cast<QMenu *>(w) != nullptr) {
            return false; // the menu bar walked with the keyboard after Alt
        }
    }
    constexpr Qt::KeyboardModifiers kCommandModifiers =
        Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier;
    if ((key.modifiers() & kCommandModifiers) != 0) {
        return false;
    }
    return keyCodeOf(key.key()) != 0;
}

bool KeyRouter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    auto *key = static_cast<QKeyEvent *>(event);
    if (!routes(watched, *key)) {
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Claimed here so that no shortcut of the window takes the key first.
        event->accept();
        return true;
    }
    // A press flashes the key and lets events run meanwhile: a repeat or another key arriving
    // then would nest presses without bound while a key is held.
    if (!key->isAutoRepeat() && !m_pressing) {
        m_pressing = true;
        m_keyDown(keyCodeOf(key->key()));
        m_pressing = false;
    }
    return true;
}

} // namespace aql::ui
