#pragma once

#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

#include <QPointer>

class QWidget;

namespace aql::platform::qt {
class QtFileDialog;
class QtMessageBox;
} // namespace aql::platform::qt

namespace aql::ui {

// The window a message box or file dialog must belong to, so that it opens in front of whatever
// the operator is looking at: the modal window that runs (a box, the log window), else a window
// kept on top, else the active window, else `fallback`. The one rule for every box and dialog of
// the program.
QWidget *topmostWindow(QWidget *fallback);

// Message boxes parented to the topmost window at the moment each one opens.
class TopmostMessageBox final : public platform::MessageBox {
public:
    TopmostMessageBox(platform::qt::QtMessageBox &box, QWidget *fallback);
    void setFallback(QWidget *fallback) { m_fallback = fallback; }
    int show(const std::string &text, int style, const std::string &title = {}) override;

private:
    platform::qt::QtMessageBox &m_box;
    QPointer<QWidget> m_fallback;
};

// File dialogs parented the same way.
class TopmostFileDialog final : public platform::FileDialog {
public:
    TopmostFileDialog(platform::qt::QtFileDialog &dialog, QWidget *fallback);
    void setFallback(QWidget *fallback) { m_fallback = fallback; }
    std::optional<std::string> openFile(const std::string &initialFolder,
                                        const std::string &filter) override;
    std::optional<std::string> saveFile(const std::string &initialFolder,
                                        const std::string &filter) override;

private:
    platform::qt::QtFileDialog &m_dialog;
    QPointer<QWidget> m_fallback;
};

} // namespace aql::ui
