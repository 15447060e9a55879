#include "ui/ConfigurationWindow.h"

#include "config/ConfigurationController.h"
#include "ui/Latin1Text.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace aql::ui {

namespace {
using Controller = config::ConfigurationController;

constexpr int kBackspace = 8;
constexpr int kPortDigits = 6;
constexpr int kFieldCharacters = 28; // a system's name or an IP address with room to spare

qsizetype nonDigits(const QString &text) {
    return std::count_if(text.begin(), text.end(),
                         [](QChar c) { return c < QLatin1Char('0') || c > QLatin1Char('9'); });
}

void showField(QLineEdit *box, const Controller::EntryField &field) {
    parts::setText(box, fromLatin1(field.text));
    box->setReadOnly(field.locked);
    box->setEnabled(field.enabled);
}

void showButton(QPushButton *button, const Controller::ActionButton &action, bool busy) {
    parts::setCaption(button, fromLatin1(action.caption));
    const QString tip = fromLatin1(action.toolTip);
    if (button->toolTip() != tip) {
        button->setToolTip(tip);
        button->setAccessibleDescription(tip);
    }
    button->setEnabled(action.enabled && !busy);
}
} // namespace

ConfigurationWindow::ConfigurationWindow(config::ConfigurationController &configuration,
                                         QWidget *parent)
    : QDialog(parent), m_configuration(configuration) {
    setObjectName(QStringLiteral("configurationWindow"));
    setModal(true);

    m_systems = new QComboBox;
    m_systems->setObjectName(QStringLiteral("systems"));
    m_systems->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_selectionLabel = new QLabel;
    m_selectionLabel->setBuddy(m_systems);
    m_name = new QLineEdit;
    m_name->setObjectName(QStringLiteral("name"));
    m_nameLabel = new QLabel;
    m_nameLabel->setBuddy(m_name);
    m_ipAddress = new QLineEdit;
    m_ipAddress->setObjectName(QStringLiteral("ipAddress"));
    m_ipAddressLabel = new QLabel;
    m_ipAddressLabel->setBuddy(m_ipAddress);
    m_port = new QLineEdit;
    m_port->setObjectName(QStringLiteral("port"));
    m_port->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_port->installEventFilter(this);
    m_portLabel = new QLabel;
    m_portLabel->setBuddy(m_port);
    parts::fitCharacters(m_port, kPortDigits);
    const int fieldWidth =
        fontMetrics().horizontalAdvance(QString(kFieldCharacters, QLatin1Char('x')));
    m_name->setMinimumWidth(fieldWidth);
    m_ipAddress->setMinimumWidth(fieldWidth);
    m_systems->setMinimumWidth(fieldWidth);

    m_new = new QPushButton;
    m_new->setObjectName(QStringLiteral("newSystem"));
    m_delete = new QPushButton;
    m_delete->setObjectName(QStringLiteral("deleteSystem"));
    m_save = new QPushButton;
    m_save->setObjectName(QStringLiteral("saveSystem"));
    const auto rgb = Controller::kButtonColour;
    for (QPushButton *button : {m_new, m_delete, m_save}) {
        parts::paintButton(button, qRgb(rgb.red, rgb.green, rgb.blue));
        button->setAutoDefault(true);
    }
    // Enter in a box saves what was typed; on a focused button it presses that button.
    m_save->setDefault(true);

    connect(m_systems, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { m_configuration.selectEntry(index); });
    connect(m_name, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_configuration.editName(toLatin1(text)); });
    connect(m_ipAddress, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_configuration.editIpAddress(toLatin1(text)); });
    connect(m_port, &QLineEdit::textEdited, this, &ConfigurationWindow::portEdited);
    connect(m_new, &QPushButton::clicked, this, [this] { m_configuration.addSystem(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { m_configuration.deleteSystem(); });
    connect(m_save, &QPushButton::clicked, this, [this] { m_configuration.saveSystem(); });

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->addWidget(m_selectionLabel, 0, 0);
    grid->addWidget(m_systems, 0, 1);
    grid->setRowMinimumHeight(1, 8);
    grid->addWidget(m_nameLabel, 2, 0);
    grid->addWidget(m_name, 2, 1);
    grid->addWidget(m_ipAddressLabel, 3, 0);
    grid->addWidget(m_ipAddress, 3, 1);
    grid->addWidget(m_portLabel, 4, 0);
    grid->addWidget(m_port, 4, 1, Qt::AlignLeft);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_new);
    buttons->addWidget(m_delete);
    buttons->addStretch(1);
    buttons->addWidget(m_save);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    setTabOrder(m_systems, m_name);
    setTabOrder(m_name, m_ipAddress);
    setTabOrder(m_ipAddress, m_port);
    setTabOrder(m_port, m_new);
    setTabOrder(m_new, m_delete);
    setTabOrder(m_delete, m_save);

    m_subscription = m_configuration.subscribe([this] { refresh(); });
    refresh();
}

ConfigurationWindow::~ConfigurationWindow() = default;

int ConfigurationWindow::run(bool online) {
    m_configuration.open(online);
    m_systems->setFocus(Qt::OtherFocusReason);
    const int result = exec();
    m_configuration.clearFields();
    return result;
}

void ConfigurationWindow::retranslate() {
    m_configuration.retranslate();
}

void ConfigurationWindow::refresh() {
    const Controller::View &view = m_configuration.view();
    const QString title = fromLatin1(view.title);
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
    parts::setCaption(m_selectionLabel, fromLatin1(view.selectionLabel));
    parts::setCaption(m_nameLabel, fromLatin1(view.nameLabel));
    parts::setCaption(m_ipAddressLabel, fromLatin1(view.ipAddressLabel));
    parts::setCaption(m_portLabel, fromLatin1(view.portLabel));
    parts::setAccessibleName(m_systems, withoutAccessKey(fromLatin1(view.selectionLabel)));
    parts::setAccessibleName(m_name, withoutAccessKey(fromLatin1(view.nameLabel)));
    parts::setAccessibleName(m_ipAddress, withoutAccessKey(fromLatin1(view.ipAddressLabel)));
    parts::setAccessibleName(m_port, withoutAccessKey(fromLatin1(view.portLabel)));

    const Controller::SystemSelection &systems = view.systems;
    {
        const QSignalBlocker quiet(m_systems);
        if (systems.items != m_shownItems) {
            m_systems->clear();
            for (const std::string &item : systems.items) {
                m_systems->addItem(fromLatin1(item));
            }
            m_shownItems = systems.items;
        }
        if (m_systems->currentIndex() != systems.index) {
            m_systems->setCurrentIndex(systems.index);
        }
    }
    m_systems->setEnabled(systems.enabled && !view.actionRunning);

    showField(m_name, view.name);
    showField(m_ipAddress, view.ipAddress);
    showField(m_port, view.port);
    showButton(m_new, view.newSystem, view.actionRunning);
    showButton(m_delete, view.deleteSystem, view.actionRunning);
    showButton(m_save, view.saveSystem, view.actionRunning);
}

void ConfigurationWindow::portEdited(const QString &text) {
    // Typed keys met the rule in the key filter already; text that arrives otherwise (pasted,
    // dropped) must meet it as well, or a port could hold letters after all.
    const QString before = fromLatin1(m_configuration.view().port.text);
    if (nonDigits(text) > nonDigits(before)) {
        const auto refused = std::find_if(text.begin(), text.end(), [](QChar c) {
            return c < QLatin1Char('0') || c > QLatin1Char('9');
        });
        m_configuration.acceptPortKey(refused->unicode());
        m_port->setText(before);
        return;
    }
    m_configuration.editPort(toLatin1(text));
}

bool ConfigurationWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_port && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Only keys that type a character meet the rule; cursor keys, Tab, Delete and shortcuts
        // (Ctrl, Alt: copy, access keys) pass.
        const bool shortcut =
            key->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        int code = -1;
        if (key->key() == Qt::Key_Backspace) {
            code = kBackspace;
        } else if (!shortcut && !key->text().isEmpty() && key->text().at(0).isPrint()) {
            code = key->text().at(0).unicode();
        }
        if (code >= 0 && !m_configuration.acceptPortKey(code)) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace aql::ui
