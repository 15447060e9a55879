#include "platform/qt/QtTopmostWindow.h"

#include <QWidget>

namespace aql::platform::qt {

QtTopmostWindow::QtTopmostWindow(QWidget *window) : m_window(window) {}

void QtTopmostWindow::makeTopmost() {
    if (!m_window) {
        return;
    }
    QWidget *window = m_window->window();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        return;
    }
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (wasVisible) {
        window->setGeometry(geometry);
        window->show();
    }
}

bool QtTopmostWindow::isTopmost() const {
    return m_window && m_window->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace aql::platform::qt
