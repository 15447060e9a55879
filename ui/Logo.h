#pragma once

#include <QAbstractButton>

namespace aql::ui {

// The product's mark, drawn: a water drop over a green wave beside the letters "AQL" and a small
// trade-mark sign, in the controller's blue. A button, so the operator (and assistive tools) can
// press it; what a press does is the owner's.
class Logo : public QAbstractButton {
    Q_OBJECT
public:
    explicit Logo(QWidget *parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont letterFont() const;
};

} // namespace aql::ui
