#include "ui/widgets/Accessibility.h"

#include "ui/widgets/Keypad.h"
#include "ui/widgets/Lamp.h"
#include "ui/widgets/LcdDisplay.h"

#include <QAccessibleWidget>

#include <mutex>

namespace aql::ui {

namespace {

// Offsets of the text interface run through the four lines joined by '\n': 21 per row.
constexpr int kLineStride = LcdDisplay::kColumns + 1;

class LcdDisplayAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LcdDisplayAccessible(LcdDisplay *display)
        : QAccessibleWidget(display, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) {
            return static_cast<QAccessibleTextInterface *>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
        case QAccessible::Name: return display()->spokenText();
        case QAccessible::Value: return display()->text();
        case QAccessible::Description: return display()->description();
        default: return QAccessibleWidget::text(kind);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State shown = QAccessibleWidget::state();
        shown.readOnly = true;
        return shown;
    }

    // Nothing on the display can be selected.
    void selection(int /*selectionIndex*/, int *startOffset, int *endOffset) const override {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int /*startOffset*/, int /*endOffset*/) override {}
    void removeSelection(int /*selectionIndex*/) override {}
    void setSelection(int /*selectionIndex*/, int /*startOffset*/, int /*endOffset*/) override {}

    int cursorPosition() const override {
        const auto &cursor = display()->cursorCells();
        for (int cell = 0; cell < LcdDisplay::kCells; ++cell) {
            if (cursor[static_cast<std::size_t>(cell)]) {
                return offsetOfCell(cell);
            }
        }
        return 0;
    }
    // The controller places its cursor; an assistive tool cannot.
    void setCursorPosition(int /*position*/) override {}

    QString text(int startOffset, int endOffset) const override {
        return display()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(display()->text().size()); }

    QRect characterRect(int offset) const override {
        if (offset < 0 || offset >= characterCount()) {
            return {};
        }
        const int row = offset / kLineStride;
        const int column = offset % kLineStride;
        QRect cell;
        if (column < LcdDisplay::kColumns) {
            cell = display()->cellRect(row * LcdDisplay::kColumns + column);
        } else {
            // The line break sits just after the last cell of its row.
            const QRect last = display()->cellRect(row * LcdDisplay::kColumns + column - 1);
            cell = QRect(last.right() + 1, last.top(), 0, last.height());
        }
        return QRect(display()->mapToGlobal(cell.topLeft()), cell.size());
    }

    int offsetAtPoint(const QPoint &point) const override {
        const QPoint local = display()->mapFromGlobal(point);
        for (int cell = 0; cell < LcdDisplay::kCells; ++cell) {
            if (display()->cellRect(cell).contains(local)) {
                return offsetOfCell(cell);
            }
        }
        return -1;
    }

    void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}

    QString attributes(int offset, int *startOffset, int *endOffset) const override {
        *startOffset = offset;
        *endOffset = offset;
        return {};
    }

private:
    LcdDisplay *display() const { return static_cast<LcdDisplay *>(widget()); }
    static int offsetOfCell(int cell) {
        return cell / LcdDisplay::kColumns * kLineStride + cell % LcdDisplay::kColumns;
    }
};

class LampAccessible : public QAccessibleWidget {
public:
    explicit LampAccessible(Lamp *lamp) : QAccessibleWidget(lamp, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            return static_cast<const Lamp *>(widget())->accessibleText();
        }
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface *createAccessible(const QString &className, QObject *object) {
    if (!object || !object->isWidgetType()) {
        return nullptr;
    }
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String(LcdDisplay::staticMetaObject.className())) {
        return new LcdDisplayAccessible(static_cast<LcdDisplay *>(widget));
    }
    if (className == QLatin1String(Lamp::staticMetaObject.className())) {
        return new LampAccessible(static_cast<Lamp *>(widget));
    }
    if (className == QLatin1String(Keypad::staticMetaObject.className())) {
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    }
    return nullptr;
}

} // namespace

void installAccessibleFactory() {
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(createAccessible); });
}

} // namespace aql::ui
