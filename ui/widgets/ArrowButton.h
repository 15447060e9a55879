#pragma once

#include <QAbstractButton>

namespace aql::ui {

// A small blue button with one arrow head, the slide button of the settings panel. The owner
// turns the arrow (down while the panel is up, up while it is down); a click is the owner's to
// handle.
class ArrowButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit ArrowButton(QWidget *parent = nullptr);

    void setArrow(Qt::ArrowType arrow);
    Qt::ArrowType arrow() const { return m_arrow; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::ArrowType m_arrow = Qt::DownArrow;
};

} // namespace aql::ui
