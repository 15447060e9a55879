#pragma once

#include "core/Observers.h"
#include "trend/Series.h"
#include "trend/TrendController.h"
#include "trend/TrendTexts.h"

#include <QWidget>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;

namespace aql::records {
class RecordList;
}
namespace aql::platform {
class FileDialog;
class FileSaver;
class MessageBox;
} // namespace aql::platform

namespace aql::ui {

class TrendPane;

// The trend window: pH, reagent, flow (and redox or water temperature where the records carry
// them) over time, one chart per quantity on a shared time axis, with their setpoints and alarm
// limits and the stretches outside the limits shaded. The operator chooses the series, zooms with
// a rubber band, the wheel or the buttons, pans by dragging with the right button or with the
// arrow keys, reads the values under the pointer and saves the charts as a PNG image.
//
// It copies what it needs of the records when it opens (and on reload), so the record list may
// change or go away while it is open. `files`, `dialog` and `box` must outlive it. It is a window
// of its own even with a parent; the owner decides whether closing it deletes it.
class TrendWindow : public QWidget {
    Q_OBJECT
public:
    TrendWindow(const records::RecordList &records, const std::string &poolName,
                platform::FileSaver &files, platform::FileDialog &dialog, platform::MessageBox &box,
                trend::TextSource texts, std::string exportFolder, QWidget *parent = nullptr);
    ~TrendWindow() override;

    // The records as they stand now, e.g. after more were downloaded.
    void reload(const records::RecordList &records);
    // The language changed.
    void retranslate();

    trend::TrendController &controller() { return *m_controller; }
    // The charts from top to bottom, hidden ones included.
    const std::vector<TrendPane *> &panes() const { return m_panes; }

    // The chart area (title, charts and their legends) as a PNG image: what Save writes.
    std::string renderPng();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // A QEvent::LanguageChange re-texts the window.
    void changeEvent(QEvent *event) override;

private:
    void build();
    void refresh();
    void syncPanes();
    void redrawCharts();
    void redrawPane(TrendPane *pane);
    void alignPanes();
    TrendPane *bottomPane() const;
    QSize firstSize() const;

    std::unique_ptr<trend::TrendController> m_controller;
    Subscription m_subscription;

    QToolButton *m_panEarlier = nullptr;
    QToolButton *m_panLater = nullptr;
    QPushButton *m_zoomIn = nullptr;
    QPushButton *m_zoomOut = nullptr;
    QPushButton *m_zoomBack = nullptr;
    QPushButton *m_wholeLog = nullptr;
    QPushButton *m_savePng = nullptr;
    QPushButton *m_close = nullptr;
    QStackedWidget *m_stack = nullptr;
    QWidget *m_chartArea = nullptr;
    QVBoxLayout *m_paneLayout = nullptr;
    QLabel *m_chartTitle = nullptr;
    QLabel *m_empty = nullptr;
    QWidget *m_seriesPanel = nullptr;
    QLabel *m_seriesTitle = nullptr;
    QVBoxLayout *m_seriesLayout = nullptr;
    QLabel *m_readout = nullptr;
    QLabel *m_counts = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_hint = nullptr;

    std::vector<TrendPane *> m_panes;
    std::vector<QGroupBox *> m_groups;
    std::map<trend::Series, QCheckBox *> m_choices;

    // What the charts show now: a change of any of it redraws them.
    trend::TimeRange m_drawnRange;
    trend::SeriesSet m_drawnShown;
    int m_drawnGeneration = -1;
    int m_generation = 0;
};

} // namespace aql::ui
