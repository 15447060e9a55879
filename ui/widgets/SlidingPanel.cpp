#include "ui/widgets/SlidingPanel.h"

#include <QEvent>

#include <algorithm>
#include <cmath>

namespace aql::ui {

SlidingPanel::SlidingPanel(QWidget *parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void SlidingPanel::setContent(QWidget *content) {
    if (content == m_content) {
        return;
    }
    delete m_content;
    m_content = content;
    if (m_content) {
        m_content->setParent(this);
        m_content->show();
    }
    updateGeometry();
    placeContent();
}

void SlidingPanel::setRange(int top, int bottom) {
    m_top = top;
    m_bottom = bottom;
    placeContent();
}

void SlidingPanel::setPosition(int position) {
    if (position != m_position) {
        m_position = position;
        placeContent();
    }
}

qreal SlidingPanel::progress() const {
    if (m_bottom == m_top) {
        return 0;
    }
    const qreal along = static_cast<qreal>(m_position - m_top) / (m_bottom - m_top);
    return std::clamp<qreal>(along, 0, 1);
}

void SlidingPanel::setMinimumTravel(int pixels) {
    m_minimumTravel = std::max(0, pixels);
    updateGeometry();
    placeContent();
}

QSize SlidingPanel::contentSize() const {
    if (!m_content) {
        return {0, 0};
    }
    return m_content->sizeHint()
        .expandedTo(m_content->minimumSizeHint())
        .expandedTo(m_content->minimumSize());
}

int SlidingPanel::contentHeight() const {
    return contentSize().height();
}

int SlidingPanel::minimumTravel() const {
    return m_minimumTravel >= 0 ? m_minimumTravel : contentHeight();
}

int SlidingPanel::travel() const {
    return std::max(0, height() - contentHeight());
}

QSize SlidingPanel::minimumSizeHint() const {
    const int width =
        m_content ? m_content->minimumSizeHint().expandedTo(m_content->minimumSize()).width() : 0;
    return {width, contentHeight() + minimumTravel()};
}

QSize SlidingPanel::sizeHint() const {
    return {contentSize().width(), contentHeight() + minimumTravel()};
}

void SlidingPanel::placeContent() {
    if (!m_content) {
        return;
    }
    const int y = static_cast<int>(std::lround(progress() * travel()));
    m_content->setGeometry(0, y, width(), contentHeight());
}

void SlidingPanel::resizeEvent(QResizeEvent *event) {
    placeContent();
    QWidget::resizeEvent(event);
}

bool SlidingPanel::event(QEvent *event) {
    // The content's own size hint may change (a language switch re-texts its buttons).
    if (event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        placeContent();
    }
    return QWidget::event(event);
}

} // namespace aql::ui
