#pragma once

#include <QWidget>

#include <array>

class QAbstractButton;

namespace aql::ui {

// The controller's six keys, drawn like its front panel: the four arrows as a cross with the
// accept (V) and cancel (X) keys beside it. Each key is a button of its own, so it can be reached
// with Tab, pressed with Space and operated by assistive tools. A click emits keyClicked with the
// key's index: up 0, right 1, down 2, left 3, accept 4, cancel 5. While covered the keys are
// drawn faded and take no clicks.
class Keypad : public QWidget {
    Q_OBJECT
public:
    enum Key { Up = 0, Right = 1, Down = 2, Left = 3, Accept = 4, Cancel = 5 };
    static constexpr int kKeys = 6;

    explicit Keypad(QWidget *parent = nullptr);

    // Shows or hides the pressed look of a key (the owner's short flash after a press).
    void setPressed(int index, bool pressed);
    bool isPressed(int index) const;
    void setCovered(bool covered);
    bool isCovered() const { return m_covered; }
    // Where the keypad stands in room wider or taller than its shape: centred until set.
    void setAlignment(Qt::Alignment alignment);

    // Where a key is drawn at the current size, in the keypad's coordinates.
    QRect keyRect(int index) const;
    // The button of a key (for focus order and accessibility), or nullptr.
    QAbstractButton *keyButton(int index) const;
    // The name assistive tools read for a key and its tooltip; until set, keyName(index).
    void setKeyName(int index, const QString &name);
    // The English names: "Up", "Right", "Down", "Left", "Accept (V)", "Cancel (X)".
    static QString keyName(int index);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

signals:
    void keyClicked(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Geometry {
        qreal side = 1; // one key
        QRectF plate;   // the panel behind the keys
        QRectF ring;    // the round seat of the arrow cross
        QPointF cross;  // top left of the arrow cross
    };
    Geometry layout() const;
    qreal minimumKeySide() const;
    QSize sizeForKey(qreal side) const;
    void placeKeys();

    std::array<QAbstractButton *, kKeys> m_keys{};
    Qt::Alignment m_alignment = Qt::AlignCenter;
    std::array<bool, kKeys> m_pressed{};
    bool m_covered = false;
};

} // namespace aql::ui
