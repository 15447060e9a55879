#pragma once

#include "platform/TopmostWindow.h"

#include <QPointer>

class QWidget;

namespace aql::platform::qt {

// platform::TopmostWindow for a Qt window: the window-manager hint that keeps it above the others.
// Changing a window's flags hides it; a visible window is shown again in the same place and size.
class QtTopmostWindow final : public platform::TopmostWindow {
public:
    explicit QtTopmostWindow(QWidget *window);

    void makeTopmost() override;
    bool isTopmost() const override;

private:
    QPointer<QWidget> m_window;
};

} // namespace aql::platform::qt
