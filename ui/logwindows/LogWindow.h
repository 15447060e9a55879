#pragma once

#include "core/Observers.h"
#include "platform/qt/QtTopmostWindow.h"
#include "shell/LogController.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace aql::ui {

// The log window: the record count of the pool and the buttons that save it as CSV, as an Excel
// workbook or as XML, and (where the build has it) the one that opens the trend window. It is kept
// on top of the other windows and modal while shown; it closes itself after a CSV save and on Quit.
// Everything it does is the controller's, whose message boxes and file dialogs stand in front of
// it.
class LogWindow : public QDialog {
    Q_OBJECT
public:
    explicit LogWindow(shell::LogController &controller, QWidget *parent = nullptr);
    ~LogWindow() override;

    void setVisible(bool visible) override;

    QLabel *recordCountLabel() const { return m_count; }
    QPushButton *saveCsvButton() const { return m_saveCsv; }
    QPushButton *excelButton() const { return m_excel; }
    QPushButton *xmlButton() const { return m_xml; }
    QPushButton *quitButton() const { return m_quit; }
    QPushButton *trendButton() const { return m_trend; }

public slots:
    void reject() override;

private:
    void refresh();

    shell::LogController &m_controller;
    platform::qt::QtTopmostWindow m_topmost;
    QLabel *m_caption = nullptr;
    QLabel *m_count = nullptr;
    QPushButton *m_saveCsv = nullptr;
    QPushButton *m_excel = nullptr;
    QPushButton *m_xml = nullptr;
    QPushButton *m_quit = nullptr;
    QPushButton *m_trend = nullptr;
    Subscription m_subscription;
};

} // namespace aql::ui
