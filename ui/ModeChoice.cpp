#include "ui/ModeChoice.h"

#include "ui/Latin1Text.h"

#include <QAccessibleWidget>

#include <mutex>

namespace aql::ui {

namespace {

class ModeChoiceAccessible : public QAccessibleWidget {
public:
    explicit ModeChoiceAccessible(ModeChoice *button)
        : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            const QString name = button()->accessibleName();
            return name.isEmpty() ? withoutAccessKey(button()->text()) : name;
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State shown = QAccessibleWidget::state();
        shown.checkable = true;
        shown.checked = button()->isChecked();
        return shown;
    }

    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }

    void doAction(const QString &action) override {
        if (!button()->isEnabled()) {
            return;
        }
        // Choosing is a click, whatever the tool calls it: the owner acts on clicks.
        if (action == pressAction() || action == toggleAction()) {
            button()->click();
        }
    }

    QStringList keyBindingsForAction(const QString & /*action*/) const override { return {}; }

private:
    ModeChoice *button() const { return static_cast<ModeChoice *>(widget()); }
};

QAccessibleInterface *accessibleFor(const QString & /*className*/, QObject *object) {
    if (auto *button = qobject_cast<ModeChoice *>(object)) {
        return new ModeChoiceAccessible(button);
    }
    return nullptr;
}

} // namespace

ModeChoice::ModeChoice(QWidget *parent) : QRadioButton(parent) {
    setAutoExclusive(false);
}

void ModeChoice::installAccessibleFactory() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(accessibleFor); });
}

} // namespace aql::ui
