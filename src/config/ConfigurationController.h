#pragma once

#include "config/SiteConfig.h"
#include "config/SystemList.h"
#include "core/Error.h"
#include "core/Observers.h"
#include "platform/FileSaver.h"
#include "platform/MessageBox.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace aql::config {

// The configuration window's logic: the operator adds, changes and deletes the site's systems.
// Every change is written to the site file at once and the main window then reloads that file, so
// the main window always shows what the file holds. The window draws view() and forwards the
// operator's intents to the actions below; subscribe() tells it when to draw again.
class ConfigurationController {
public:
    static constexpr int kMaxSystems = 100;

    struct Rgb {
        int red, green, blue;
    };
    static constexpr Rgb kButtonColour{140, 198, 62}; // background of the three action buttons

    // One of the name, IP address and port boxes. A locked box shows its text but takes no typing.
    struct EntryField {
        std::string text;
        bool locked = false;
        bool enabled = true;
    };

    // The pick list of the configured systems, in list order.
    struct SystemSelection {
        std::vector<std::string> items;
        std::string text; // what the box shows; empty when nothing is selected
        int index = -1;   // of the selected item, -1 for none
        bool enabled = true;
    };

    struct ActionButton {
        std::string caption;
        std::string toolTip;
        bool enabled = true;
    };

    // Everything the window shows.
    struct View {
        std::string title; // without the menu entry's access-key "&"
        std::string selectionLabel, nameLabel, ipAddressLabel, portLabel;
        SystemSelection systems;
        EntryField name, ipAddress, port;
        ActionButton newSystem, deleteSystem, saveSystem;
        // While New, Delete or Save runs (message boxes and the reload included), the window
        // should take no further action.
        bool actionRunning = false;
    };

    // What the main window lends the configuration window. Hooks left empty do nothing.
    struct Hooks {
        std::function<void()> reloadMainWindow; // the main window's load: reads the site file again
        // An action failed: the language text of that action and the error.
        std::function<void(int text, const AqlError &)> reportError;
        std::function<void()> processEvents; // let the event loop run once
        std::function<void()> beep;
        // Asked before an action writes the file and reloads the main window (which drops the
        // records held); false leaves everything as it was. Left empty: always true.
        std::function<bool()> confirmReload;
    };

    // `systems` and `mainSelector` are the main window's: the system list the site file is
    // written from, and the main window's pool selection. The site file goes through `saver`.
    ConfigurationController(ConfigValues &values, SystemList &systems,
                            std::vector<std::string> &mainSelector, platform::MessageBox &box,
                            platform::FileSaver &saver, Texts texts);

    void setHooks(Hooks hooks);

    const View &view() const { return m_view; }

    // `observer` runs after every change of the view, for as long as the token lives.
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }

    // The window opens: texts, the systems of the list, nothing selected, and nothing editable
    // while Online.
    void open(bool online);
    // The language changed.
    void retranslate();

    // The Online choice forbids editing (false), the Offline choice allows it again (true).
    void setEditingAllowed(bool allowed);

    // The operator picks item `index` of the selection; the entry of that name (the last entry
    // when none has it) fills the three boxes. An index outside the items changes nothing.
    void selectEntry(int index);
    // Empties the three boxes (the main window does this when its own selection changes and
    // after the window closes).
    void clearFields();

    // Typing into the boxes; ignored while a box is locked or disabled.
    void editName(std::string text);
    void editIpAddress(std::string text);
    void editPort(std::string text);
    // True when the key may go into the port box: digits and backspace. Any other key beeps.
    bool acceptPortKey(int keyCode);

    // The three actions. Each writes the site file and reloads the main window; a failure is
    // reported through the hook and leaves file, list and window as they were.
    void addSystem();
    void deleteSystem();
    void saveSystem();

    // True if an entry of the list has this name, letter case ignored as the pool list ignores it.
    bool nameInUse(const std::string &name) const;

    // The selection's items, for ConfigTargets::configSelector: the site reader refills them while
    // the main window loads. The reader does not notify; the load it runs in always ends with
    // setEditingAllowed (the Offline choice), which does.
    std::vector<std::string> *readerSelection() { return &m_view.systems.items; }

private:
    struct Snapshot {
        SystemList systems;
        SystemSelection selection;
        EntryField name, ipAddress, port;
        ActionButton deleteSystem, saveSystem;
        std::vector<std::string> mainSelector;
    };

    // Runs one intent; observers hear of it once the outermost intent is done.
    template <class Step> void change(Step &&step);
    void runAction(int errorText, const std::function<void()> &body);

    void applyTexts();
    void allowEditing(bool allowed);
    void showSelectedEntry();
    void showEntry(std::int32_t position);
    void emptyFields();
    void nameChanged();
    void setFieldsLocked(bool locked);
    void clearSelection();
    void removeFromSelection(const std::string &name);
    void refillSelections();
    void replaceSelected(const std::string &name, const std::string &ipAddress,
                         const std::string &port);
    // 1-based position of the first entry named exactly `name`; 0 when there is none.
    std::int32_t findExact(const std::string &name) const;

    Snapshot snapshot() const;
    void restore(const Snapshot &before);
    void writeFile(const Snapshot &before);

    ConfigValues &m_values;
    SystemList &m_systems;
    std::vector<std::string> &m_mainSelector;
    platform::MessageBox &m_box;
    platform::FileSaver &m_saver;
    Texts m_texts;
    Hooks m_hooks;
    View m_view;
    ChangeNotifier m_notifier;
    int m_actionsRunning = 0;
};

} // namespace aql::config
