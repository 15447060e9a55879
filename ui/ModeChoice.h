#pragma once

#include <QRadioButton>

namespace aql::ui {

// One of the Offline / Online option buttons. Which of the two is chosen is the logic's to say,
// not the pair's: a connect that fails leaves Offline chosen. So the two are not exclusive by
// themselves, which also lets Tab reach each of them (Qt's exclusive pairs are walked with the
// arrow keys, and those belong to the controller's keypad here). Assistive tools still see an
// option button, checked or not, that a press or a toggle chooses.
class ModeChoice : public QRadioButton {
    Q_OBJECT
public:
    explicit ModeChoice(QWidget *parent = nullptr);

    // Registers, once per process, how assistive tools see these buttons.
    static void installAccessibleFactory();
};

} // namespace aql::ui
