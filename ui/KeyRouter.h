#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QWidget;

namespace aql::ui {

// Gives the controller's keys to the keypad wherever the focus is in one window, before the
// focused control can act on them: Down on a focused Online button must not select Offline (and
// close the link), Down on the pool selection must not pick another pool (and drop the records).
// Installed on the application, since only there does a filter see a key before its receiver.
//
// Keys held down with Alt, Ctrl or Meta pass (access keys, shortcuts), as does every key while a
// menu or a drop-down list is open or the menu bar has the keyboard. A key that repeats because
// it is held down is swallowed without a press of its own: the controller's keys do not repeat.
class KeyRouter : public QObject {
    Q_OBJECT
public:
    // `keyDown` takes the key code the keypad mapping knows (see keyCodeOf).
    KeyRouter(QWidget *window, std::function<void(int keyCode)> keyDown, QObject *parent = nullptr);

    // The key code of a Qt key as the keypad mapping numbers keys: Left 37, Up 38, Right 39,
    // Down 40, V 86, X 88, F7 118, F9 120; 0 for every other key.
    static int keyCodeOf(int qtKey);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool routes(QObject *receiver, const QKeyEvent &key) const;

    QPointer<QWidget> m_window;
    std::function<void(int)> m_keyDown;
    bool m_pressing = false;
};

} // namespace aql::ui
