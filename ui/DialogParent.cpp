#include "ui/DialogParent.h"

#include "platform/qt/QtFileDialog.h"
#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <QWidget>

namespace aql::ui {

QWidget *topmostWindow(QWidget *fallback) {
    // The modal window that runs stands above everything it blocks, a window kept on top
    // included (a box over the log window is modal and comes first).
    if (QWidget *modal = QApplication::activeModalWidget()) {
        return modal;
    }
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && (window->windowFlags() & Qt::WindowStaysOnTopHint) != 0) {
            return window;
        }
    }
    if (QWidget *active = QApplication::activeWindow()) {
        return active;
    }
    return fallback;
}

TopmostMessageBox::TopmostMessageBox(platform::qt::QtMessageBox &box, QWidget *fallback)
    : m_box(box), m_fallback(fallback) {}

int TopmostMessageBox::show(const std::string &text, int style, const std::string &title) {
    m_box.setParentWidget(topmostWindow(m_fallback));
    return m_box.show(text, style, title);
}

TopmostFileDialog::TopmostFileDialog(platform::qt::QtFileDialog &dialog, QWidget *fallback)
    : m_dialog(dialog), m_fallback(fallback) {}

std::optional<std::string> TopmostFileDialog::openFile(const std::string &initialFolder,
                                                       const std::string &filter) {
    m_dialog.setParentWidget(topmostWindow(m_fallback));
    return m_dialog.openFile(initialFolder, filter);
}

std::optional<std::string> TopmostFileDialog::saveFile(const std::string &initialFolder,
                                                       const std::string &filter) {
    m_dialog.setParentWidget(topmostWindow(m_fallback));
    return m_dialog.saveFile(initialFolder, filter);
}

} // namespace aql::ui
