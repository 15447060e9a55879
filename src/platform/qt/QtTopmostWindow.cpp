#include "platform/qt/QtTopmostWindow.h"

#include <QApplication>
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

QWidget *frontWindow() {
    if (QWidget *modal = QApplication::activeModalWidget()) {
        return modal;
    }
    if (QWidget *active = QApplication::activeWindow()) {
        return active;
    }
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
            return window;
        }
    }
    return nullptr;
}

} // namespace aql::platform::qt
