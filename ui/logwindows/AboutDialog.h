#pragma once

#include "core/Observers.h"
#include "platform/qt/QtTopmostWindow.h"
#include "shell/AboutController.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace aql::ui {

// The About window: product, version, rights and the copying notice. Modal and on top while
// shown; OK hides it, and it is shown again as it was.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(shell::AboutController &controller, QWidget *parent = nullptr);

    void setVisible(bool visible) override;

    QLabel *productLabel() const { return m_productLabel; }
    QLabel *product() const { return m_product; }
    QLabel *versionLabel() const { return m_versionLabel; }
    QLabel *version() const { return m_version; }
    QLabel *rights() const { return m_rights; }
    QLabel *copyrightWarning() const { return m_warning; }
    QLabel *compatibility() const { return m_compatibility; }
    QPushButton *okButton() const { return m_ok; }

public slots:
    void reject() override;

private:
    void refresh();

    shell::AboutController &m_controller;
    platform::qt::QtTopmostWindow m_topmost;
    QLabel *m_productLabel = nullptr;
    QLabel *m_product = nullptr;
    QLabel *m_versionLabel = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_rights = nullptr;
    QLabel *m_warning = nullptr;
    QLabel *m_compatibility = nullptr;
    QPushButton *m_ok = nullptr;
    Subscription m_subscription;
};

} // namespace aql::ui
