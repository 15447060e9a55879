#include "config/ConfigurationController.h"

#include "config/PoolList.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace aql::config {

void ComboBox::clear() {
    items.clear();
    text.clear();
    listIndex = -1;
}

void ComboBox::removeItem(const std::string &item) {
    const auto it = std::find(items.begin(), items.end(), item);
    if (it == items.end()) {
        return;
    }
    const int removed = static_cast<int>(it - items.begin());
    items.erase(it);
    if (removed == listIndex) {
        listIndex = -1;
        text.clear();
    } else if (removed < listIndex) {
        --listIndex;
    }
}

ConfigurationController::ConfigurationController(ConfigValues &values, SystemList &editList,
                                   std::vector<std::string> &mainSelector,
                                   platform::MessageBox &box, Texts texts)
    : m_values(values), m_editList(editList), m_mainSelector(mainSelector), m_box(box),
      m_texts(std::move(texts)) {
    // Nothing is selected yet, so there is nothing to delete or save.
    optDel.enabled = false;
    optSave.enabled = false;
}

void ConfigurationController::Form_Load(bool online) {
    Filltext();
    cmbPools.clear();
    for (std::int32_t i = 1; i <= m_editList.count(); ++i) {
        cmbPools.items.push_back(m_editList.name(i));
    }
    // Opening the window while Online must not offer Delete or Save through a selection either:
    // the list is only edited while Offline, whichever of the two happened first.
    setEditingAllowed(!online);
}

void ConfigurationController::Filltext() {
    caption = m_texts(4);
    lblSelectSystem = m_texts(15);
    lblName = m_texts(20);
    lblIPAddress = m_texts(21);
    lblPort = m_texts(22);
    optNew.caption = m_texts(23);
    optNew.toolTip = m_texts(118);
    optDel.caption = m_texts(24);
    optDel.toolTip = m_texts(119);
    optSave.caption = m_texts(19);
    optSave.toolTip = m_texts(120);
}

void ConfigurationController::setEditingAllowed(bool allowed) {
    txtName.enabled = allowed;
    txtIP.enabled = allowed;
    txtPort.enabled = allowed;
    cmbPools.enabled = allowed;
    optNew.enabled = allowed;
    const bool selected = allowed && !cmbPools.text.empty();
    optDel.enabled = selected;
    optSave.enabled = selected;
}

void ConfigurationController::cmbPools_Click() {
    setTextBoxesLocked(false);
    optDel.enabled = !cmbPools.text.empty();
    optSave.enabled = !cmbPools.text.empty();
    std::int32_t position = findExact(cmbPools.text);
    if (position == 0) {
        position = m_editList.count();
    }
    showEntry(position);
}

void ConfigurationController::selectEntry(int listIndex) {
    if (listIndex < 0 || listIndex >= static_cast<int>(cmbPools.items.size())) {
        return;
    }
    cmbPools.listIndex = listIndex;
    cmbPools.text = cmbPools.items[static_cast<std::size_t>(listIndex)];
    cmbPools_Click();
}

void ConfigurationController::clearTextBoxes() {
    txtIP.text.clear();
    txtPort.text.clear();
    txtName.text.clear();
    txtName_Change();
}

void ConfigurationController::txtName_Change() {
    optSave.enabled = !txtName.text.empty();
}

bool ConfigurationController::txtPort_KeyPress(int keyAscii) {
    constexpr int kBackspace = 8;
    if ((keyAscii >= '0' && keyAscii <= '9') || keyAscii == kBackspace) {
        return true;
    }
    if (beep) {
        beep();
    }
    return false;
}

void ConfigurationController::optNew_Click() {
    optFake = false;
    runAction(49, [this] {
        optNew.enabled = false;
        setTextBoxesLocked(false);
        if (m_editList.count() >= kMaxSystems) {
            m_box.show(m_texts(48), platform::style::kCritical);
            return;
        }
        std::string name;
        for (int k = 0;; ++k) {
            name = m_texts(113) + " " + std::to_string(k);
            if (!nameInUse(name)) {
                break;
            }
            pump();
        }
        const Snapshot before = snapshot();
        m_editList.save(name, "0.0.0.0", "0");
        cmbPools.items.push_back(name);
        m_mainSelector.push_back(name);
        optDel.enabled = true;
        writeFile(before);
        reload();
        selectEntry(static_cast<int>(cmbPools.items.size()) - 1);
        showEntry(m_editList.count());
    });
    // Also after a failure: New must stay usable, or the operator could not retry until the next
    // Offline choice.
    optFake = true;
    optNew.enabled = true;
}

void ConfigurationController::optDel_Click() {
    optFake = false;
    runAction(47, [this] {
        if (cmbPools.text.empty()) {
            optDel.enabled = false;
            return;
        }
        if (m_box.show(m_texts(46), platform::style::kQuestionOkCancel) != platform::kResultOk) {
            return;
        }
        const Snapshot before = snapshot();
        const std::string selected = cmbPools.text;
        if (const std::int32_t position = findExact(selected); position > 0) {
            m_editList.remove(position);
            cmbPools.removeItem(selected);
        }
        clearTextBoxes();
        optDel.enabled = false;
        optSave.enabled = false;
        writeFile(before);
        reload();
    });
    optFake = true;
}

void ConfigurationController::optSave_Click() {
    optFake = false;
    runAction(51, [this] {
        if (txtName.text.empty()) {
            return;
        }
        const Snapshot before = snapshot();
        setTextBoxesLocked(true);
        pendingName = txtName.text;
        pendingIp = txtIP.text;
        pendingPort = txtPort.text;
        replaceSelected();
        writeFile(before);
        reload();
        pump();
    });
    optDel.enabled = false;
    optFake = true;
}

void ConfigurationController::replaceSelected() {
    if (cmbPools.text.empty()) {
        return;
    }
    const Snapshot before = snapshot();
    const std::string selected = cmbPools.text;
    if (const std::int32_t position = findExact(selected); position > 0) {
        m_editList.remove(position);
        cmbPools.removeItem(selected);
        const auto it = std::find(m_mainSelector.begin(), m_mainSelector.end(), selected);
        if (it != m_mainSelector.end()) {
            m_mainSelector.erase(it);
        }
    }
    if (nameInUse(txtName.text)) {
        m_box.show(m_texts(52), platform::style::kCritical);
        // The reload reads the list back from the file; putting it back here as well keeps the
        // entry even if that reload cannot run, so the write that follows cannot lose it.
        m_editList = before.editList;
        cmbPools.items = before.combo.items;
        m_mainSelector = before.mainSelector;
        reload();
        return;
    }
    m_editList.save(pendingName, pendingIp, pendingPort);
    refillSelectors();
    clearTextBoxes();
}

bool ConfigurationController::nameInUse(const std::string &name) const {
    // The same folding as the pool list's keys: a name this window accepts is always one the main
    // window's list accepts too, so a written file always loads again.
    const std::string key = poolKey(name);
    for (std::int32_t i = 1; i <= m_editList.count(); ++i) {
        if (poolKey(m_editList.name(i)) == key) {
            return true;
        }
    }
    return false;
}

ConfigurationController::Snapshot ConfigurationController::snapshot() const {
    return Snapshot{m_editList, cmbPools, txtName, txtIP, txtPort, optDel, optSave, m_mainSelector};
}

void ConfigurationController::restore(const Snapshot &before) {
    m_editList = before.editList;
    cmbPools = before.combo;
    txtName = before.name;
    txtIP = before.ip;
    txtPort = before.port;
    optDel = before.del;
    optSave = before.save;
    m_mainSelector = before.mainSelector;
}

void ConfigurationController::runAction(int errorText, const std::function<void()> &body) {
    try {
        body();
    } catch (const AqlError &e) {
        if (reportError) {
            reportError(errorText, e);
        }
    } catch (const std::exception &e) {
        if (reportError) {
            reportError(errorText, AqlError(errc::kApplication, "ConfigurationController", e.what()));
        }
    }
}

void ConfigurationController::writeFile(const Snapshot &before) {
    // The file is replaced whole or not at all; when it stays as it was, the window and the main
    // window's selector go back to showing what it holds, and the operator's typing is kept.
    try {
        writeSiteConfig(m_editList, m_values.configPath);
    } catch (...) {
        restore(before);
        throw;
    }
}

void ConfigurationController::reload() {
    if (reloadMainWindow) {
        reloadMainWindow();
    }
}

void ConfigurationController::pump() {
    if (processEvents) {
        processEvents();
    }
}

void ConfigurationController::setTextBoxesLocked(bool locked) {
    txtName.locked = locked;
    txtIP.locked = locked;
    txtPort.locked = locked;
}

void ConfigurationController::showEntry(std::int32_t position) {
    if (position < 1 || position > m_editList.count()) {
        clearTextBoxes();
        return;
    }
    txtName.text = m_editList.name(position);
    txtIP.text = m_editList.ipaddress(position);
    txtPort.text = m_editList.port(position);
    txtName_Change();
}

std::int32_t ConfigurationController::findExact(const std::string &name) const {
    for (std::int32_t i = 1; i <= m_editList.count(); ++i) {
        if (m_editList.name(i) == name) {
            return i;
        }
    }
    return 0;
}

void ConfigurationController::refillSelectors() {
    cmbPools.clear();
    m_mainSelector.clear();
    for (std::int32_t i = 1; i <= m_editList.count(); ++i) {
        cmbPools.items.push_back(m_editList.name(i));
        m_mainSelector.push_back(m_editList.name(i));
    }
}

} // namespace aql::config
