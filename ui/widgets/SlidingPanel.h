#pragma once

#include <QPointer>
#include <QWidget>

namespace aql::ui {

// A container whose content slides up and down as a value from the owner moves between two
// positions: at the first the content sits at the top, at the second it has slid down by the
// travel. The owner steps the value (a few times a second is enough to show the movement); the
// panel only follows it.
class SlidingPanel : public QWidget {
    Q_OBJECT
public:
    explicit SlidingPanel(QWidget *parent = nullptr);

    // Takes ownership of the content; a previous content is deleted.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    // The owner's two positions (for example 100 and 2100) and the current one; values beyond
    // them stay at the nearer end.
    void setRange(int top, int bottom);
    void setPosition(int position);
    int position() const { return m_position; }
    // How far along the way the content is: 0 at the top, 1 at the bottom.
    qreal progress() const;

    // The least distance, in pixels, the content moves; a taller panel moves it further.
    // Until set, the content's own height.
    void setMinimumTravel(int pixels);
    int travel() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    QSize contentSize() const;
    int contentHeight() const;
    int minimumTravel() const;
    void placeContent();

    QPointer<QWidget> m_content;
    int m_top = 0;
    int m_bottom = 1;
    int m_position = 0;
    int m_minimumTravel = -1;
};

} // namespace aql::ui
