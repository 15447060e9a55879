#include "ModalAnswerer.h"

#include <QApplication>
#include <QWidget>

namespace aql::test {

ModalAnswerer::ModalAnswerer(std::function<bool(QWidget *)> answer) : m_answer(std::move(answer)) {
    QObject::connect(&m_poll, &QTimer::timeout, [this] {
        QWidget *shown = QApplication::activeModalWidget();
        if (!m_answered && shown != nullptr && m_answer(shown)) {
            m_answered = true;
        }
    });
    QObject::connect(&m_guard, &QTimer::timeout, [] {
        if (QWidget *stuck = QApplication::activeModalWidget()) {
            stuck->hide();
        }
    });
    m_guard.setSingleShot(true);
    m_poll.start(10);
    m_guard.start(5000);
}

} // namespace aql::test
