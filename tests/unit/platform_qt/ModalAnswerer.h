#pragma once

#include <QTimer>

#include <functional>

class QWidget;

namespace aql::test {

// While alive, hands the active modal window to `answer` until it returns true (it accepted and
// answered that window). A window still up after a few seconds is hidden, so a fault ends the
// test instead of hanging it.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<bool(QWidget *)> answer);
    bool answered() const { return m_answered; }

private:
    std::function<bool(QWidget *)> m_answer;
    QTimer m_poll;
    QTimer m_guard;
    bool m_answered = false;
};

} // namespace aql::test
