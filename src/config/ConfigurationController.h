#pragma once

#include "config/SystemList.h"
#include "config/SiteConfig.h"
#include "core/Error.h"
#include "platform/MessageBox.h"

#include <functional>
#include <string>
#include <vector>

namespace aql::config {

// The state of the window's controls, as the widget shows it.
struct TextBox {
    std::string text;
    bool locked = false;
    bool enabled = true;
};

struct ComboBox {
    std::vector<std::string> items;
    std::string text; // the text shown in the box
    int listIndex = -1;
    bool enabled = true;

    // Empties the list and the shown text.
    void clear();
    // Removes the first item equal to `item`; when it was the selected one, nothing is selected.
    void removeItem(const std::string &item);
};

struct PushButton {
    std::string caption;
    std::string toolTip;
    bool enabled = true;
};

// The configuration window's logic: edits the site's list of systems (editList), writes the site
// file after every change and has the main window reload it, so the main window always shows what
// the file holds. The widget forwards events here and draws the public state.
class ConfigurationController {
public:
    static constexpr int kMaxSystems = 100;
    static constexpr int kButtonRed = 140, kButtonGreen = 198, kButtonBlue = 62;

    ConfigurationController(ConfigValues &values, SystemList &editList,
                     std::vector<std::string> &mainSelector, platform::MessageBox &box,
                     Texts texts);

    // Controls.
    std::string caption, lblSelectSystem, lblName, lblIPAddress, lblPort;
    ComboBox cmbPools;
    TextBox txtName, txtIP, txtPort;
    PushButton optNew, optDel, optSave;
    bool optFake = false; // selected: the three action buttons show as released

    // Values captured by Save for replaceSelected.
    std::string pendingName, pendingIp, pendingPort;

    // Hooks the start-up wires.
    std::function<void()> reloadMainWindow;                      // the main window's load
    std::function<void(int text, const AqlError &)> reportError; // texts 49, 47, 51
    std::function<void()> processEvents;
    std::function<void()> beep;

    // For ConfigTargets::configSelector: the site reader refills the combo through it.
    std::vector<std::string> *selector() { return &cmbPools.items; }

    // Loads the texts and the combo from editList; while Online nothing can be edited.
    void Form_Load(bool online);
    void Filltext();

    // The Online choice forbids editing (false), the Offline choice allows it again (true).
    void setEditingAllowed(bool allowed);

    // Shows the entry whose name the combo shows (the last entry when none matches).
    void cmbPools_Click();
    // Selects item listIndex of the combo, as a click on it does, and runs cmbPools_Click.
    void selectEntry(int listIndex);
    // Empties the three text boxes (the main window's selection handling does this).
    void clearTextBoxes();

    void txtName_Change();
    // True when the key may go into txtPort: digits and backspace; anything else beeps.
    bool txtPort_KeyPress(int keyAscii);

    void optNew_Click();
    void optDel_Click();
    void optSave_Click();
    void replaceSelected();

    // True if an entry of editList has this name, letter case ignored as the pool list ignores it.
    bool nameInUse(const std::string &name) const;

private:
    struct Snapshot {
        SystemList editList;
        ComboBox combo;
        TextBox name, ip, port;
        PushButton del, save;
        std::vector<std::string> mainSelector;
    };

    Snapshot snapshot() const;
    void restore(const Snapshot &before);
    void runAction(int errorText, const std::function<void()> &body);
    void writeFile(const Snapshot &before);
    void reload();
    void pump();
    void setTextBoxesLocked(bool locked);
    void showEntry(std::int32_t position);
    // 1-based position of the first entry named exactly `name`; 0 when there is none.
    std::int32_t findExact(const std::string &name) const;
    void refillSelectors();

    ConfigValues &m_values;
    SystemList &m_editList;
    std::vector<std::string> &m_mainSelector;
    platform::MessageBox &m_box;
    Texts m_texts;
};

} // namespace aql::config
