#pragma once

#include "core/Observers.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace aql::config {
class ConfigurationController;
}

namespace aql::ui {

// The site's systems: pick one, change its name, IP address and port, add or delete systems.
// Every rule (what is enabled, the port's keys, writing the site file, the reload) is the
// controller's; the window draws its view and forwards the operator's intents. Modal.
class ConfigurationWindow : public QDialog {
    Q_OBJECT
public:
    explicit ConfigurationWindow(config::ConfigurationController &configuration,
                                 QWidget *parent = nullptr);
    ~ConfigurationWindow() override;

    // Opens the window modal and returns when it closes: it starts with the systems of the list,
    // nothing selected, and nothing editable while `online`; afterwards its boxes are empty.
    int run(bool online);

    // The language changed: the controller takes the new texts and the window follows.
    void retranslate();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void portEdited(const QString &text);

    config::ConfigurationController &m_configuration;
    Subscription m_subscription;
    std::vector<std::string> m_shownItems;

    QLabel *m_selectionLabel = nullptr;
    QComboBox *m_systems = nullptr;
    QLabel *m_nameLabel = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_ipAddressLabel = nullptr;
    QLineEdit *m_ipAddress = nullptr;
    QLabel *m_portLabel = nullptr;
    QLineEdit *m_port = nullptr;
    QPushButton *m_new = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_save = nullptr;
};

} // namespace aql::ui
