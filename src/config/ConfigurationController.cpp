#include "config/ConfigurationController.h"

#include "config/PoolList.h"
#include "core/TextId.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace aql::config {
namespace {

// A menu entry's text as a window title: the "&" that marks its access key goes, a doubled "&"
// stands for one.
std::string withoutAccessKey(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

template <class F> void orNothing(std::function<F> &hook, std::function<F> nothing) {
    if (!hook) {
        hook = std::move(nothing);
    }
}

} // namespace

ConfigurationController::ConfigurationController(ConfigValues &values, SystemList &systems,
                                                 std::vector<std::string> &mainSelector,
                                                 platform::MessageBox &box,
                                                 platform::FileSaver &saver, Texts texts)
    : m_values(values), m_systems(systems), m_mainSelector(mainSelector), m_box(box),
      m_saver(saver), m_texts(std::move(texts)) {
    setHooks({});
    // Nothing is selected yet, so there is nothing to delete or save.
    m_view.deleteSystem.enabled = false;
    m_view.saveSystem.enabled = false;
}

void ConfigurationController::setHooks(Hooks hooks) {
    orNothing(hooks.reloadMainWindow, {[] {}});
    orNothing(hooks.reportError, {[](int, const AqlError &) {}});
    orNothing(hooks.processEvents, {[] {}});
    orNothing(hooks.beep, {[] {}});
    orNothing(hooks.confirmReload, {[] { return true; }});
    m_hooks = std::move(hooks);
}

template <class Step> void ConfigurationController::change(Step &&step) {
    m_notifier.batch(std::forward<Step>(step));
}

// ---- intents ----------------------------------------------------------------------------------

void ConfigurationController::open(bool online) {
    change([&] {
        applyTexts();
        clearSelection();
        for (std::int32_t i = 1; i <= m_systems.count(); ++i) {
            m_view.systems.items.push_back(m_systems.name(i));
        }
        // Opening the window while Online must not offer Delete or Save through a selection
        // either: the list is only edited while Offline, whichever of the two happened first.
        allowEditing(!online);
    });
}

void ConfigurationController::retranslate() {
    change([&] { applyTexts(); });
}

void ConfigurationController::setEditingAllowed(bool allowed) {
    change([&] { allowEditing(allowed); });
}

void ConfigurationController::selectEntry(int index) {
    change([&] {
        if (index < 0 || index >= static_cast<int>(m_view.systems.items.size())) {
            return;
        }
        m_view.systems.index = index;
        m_view.systems.text = m_view.systems.items[static_cast<std::size_t>(index)];
        showSelectedEntry();
    });
}

void ConfigurationController::clearFields() {
    change([&] { emptyFields(); });
}

void ConfigurationController::editName(std::string text) {
    change([&] {
        if (m_view.name.locked || !m_view.name.enabled) {
            return;
        }
        m_view.name.text = std::move(text);
        nameChanged();
    });
}

void ConfigurationController::editIpAddress(std::string text) {
    change([&] {
        if (!m_view.ipAddress.locked && m_view.ipAddress.enabled) {
            m_view.ipAddress.text = std::move(text);
        }
    });
}

void ConfigurationController::editPort(std::string text) {
    change([&] {
        if (!m_view.port.locked && m_view.port.enabled) {
            m_view.port.text = std::move(text);
        }
    });
}

bool ConfigurationController::acceptPortKey(int keyCode) {
    constexpr int kBackspace = 8;
    if ((keyCode >= '0' && keyCode <= '9') || keyCode == kBackspace) {
        return true;
    }
    m_hooks.beep();
    return false;
}

void ConfigurationController::addSystem() {
    change([&] {
        runAction(TextId::NewSystemFailed, [this] {
            m_view.newSystem.enabled = false;
            setFieldsLocked(false);
            if (m_systems.count() >= kMaxSystems) {
                m_box.show(m_texts(TextId::SystemListFull), platform::style::kCritical);
                return;
            }
            if (!m_hooks.confirmReload()) {
                return;
            }
            std::string name;
            for (int k = 0;; ++k) {
                name = m_texts(TextId::NewSystemBaseName) + " " + std::to_string(k);
                if (!nameInUse(name)) {
                    break;
                }
                m_hooks.processEvents();
            }
            const Snapshot before = snapshot();
            m_systems.append(name, "0.0.0.0", "0");
            m_view.systems.items.push_back(name);
            m_mainSelector.push_back(name);
            m_view.deleteSystem.enabled = true;
            writeFile(before);
            m_hooks.reloadMainWindow();
            // The reload has refilled the selection from the file; the new entry is its last.
            const int last = static_cast<int>(m_view.systems.items.size()) - 1;
            if (last >= 0) {
                m_view.systems.index = last;
                m_view.systems.text = m_view.systems.items[static_cast<std::size_t>(last)];
                showSelectedEntry();
            }
            showEntry(m_systems.count());
        });
        // Also after a failure: New must stay usable, or the operator could not retry until the
        // next Offline choice.
        m_view.newSystem.enabled = true;
    });
}

void ConfigurationController::deleteSystem() {
    change([&] {
        runAction(TextId::DeleteSystemFailed, [this] {
            if (m_view.systems.text.empty()) {
                m_view.deleteSystem.enabled = false;
                return;
            }
            if (m_box.show(m_texts(TextId::ConfirmDeleteSystem),
                           platform::style::kQuestionOkCancel) != platform::kResultOk ||
                !m_hooks.confirmReload()) {
                return;
            }
            const Snapshot before = snapshot();
            const std::string selected = m_view.systems.text;
            if (const std::int32_t position = findExact(selected); position > 0) {
                m_systems.remove(position);
                removeFromSelection(selected);
            }
            emptyFields();
            m_view.deleteSystem.enabled = false;
            m_view.saveSystem.enabled = false;
            writeFile(before);
            m_hooks.reloadMainWindow();
        });
    });
}

void ConfigurationController::saveSystem() {
    change([&] {
        bool declined = false;
        runAction(TextId::SaveSystemFailed, [this, &declined] {
            if (m_view.name.text.empty()) {
                return;
            }
            if (!m_hooks.confirmReload()) {
                declined = true;
                return;
            }
            const Snapshot before = snapshot();
            setFieldsLocked(true);
            const std::string name = m_view.name.text;
            const std::string ipAddress = m_view.ipAddress.text;
            const std::string port = m_view.port.text;
            replaceSelected(name, ipAddress, port);
            writeFile(before);
            m_hooks.reloadMainWindow();
            m_hooks.processEvents();
        });
        if (!declined) {
            m_view.deleteSystem.enabled = false;
        }
    });
}

bool ConfigurationController::nameInUse(const std::string &name) const {
    // The same folding as the pool list's keys: a name this window accepts is always one the main
    // window's list accepts too, so a written file always loads again.
    const std::string key = poolKey(name);
    for (std::int32_t i = 1; i <= m_systems.count(); ++i) {
        if (poolKey(m_systems.name(i)) == key) {
            return true;
        }
    }
    return false;
}

// ---- steps ------------------------------------------------------------------------------------

void ConfigurationController::runAction(int errorText, const std::function<void()> &body) {
    // Observers see the action start, so the window can hold off further clicks while message
    // boxes and the reload let the event loop run.
    ++m_actionsRunning;
    m_view.actionRunning = true;
    if (m_actionsRunning == 1 && m_notifier.batchDepth() == 1) {
        m_notifier.notify();
    }
    try {
        body();
    } catch (const AqlError &e) {
        m_hooks.reportError(errorText, e);
    } catch (const std::exception &e) {
        m_hooks.reportError(errorText,
                            AqlError(errc::kApplication, "ConfigurationController", e.what()));
    }
    --m_actionsRunning;
    m_view.actionRunning = m_actionsRunning > 0;
}

void ConfigurationController::applyTexts() {
    m_view.title = withoutAccessKey(m_texts(TextId::ConfigurationEntry));
    m_view.selectionLabel = m_texts(TextId::SelectSystem);
    m_view.nameLabel = m_texts(TextId::NameLabel);
    m_view.ipAddressLabel = m_texts(TextId::IpAddressLabel);
    m_view.portLabel = m_texts(TextId::PortLabel);
    m_view.newSystem.caption = m_texts(TextId::NewSystem);
    m_view.newSystem.toolTip = m_texts(TextId::NewSystemTip);
    m_view.deleteSystem.caption = m_texts(TextId::DeleteSystem);
    m_view.deleteSystem.toolTip = m_texts(TextId::DeleteSystemTip);
    m_view.saveSystem.caption = m_texts(TextId::Save);
    m_view.saveSystem.toolTip = m_texts(TextId::SaveSystemTip);
}

void ConfigurationController::allowEditing(bool allowed) {
    m_view.name.enabled = allowed;
    m_view.ipAddress.enabled = allowed;
    m_view.port.enabled = allowed;
    m_view.systems.enabled = allowed;
    m_view.newSystem.enabled = allowed;
    const bool selected = allowed && !m_view.systems.text.empty();
    m_view.deleteSystem.enabled = selected;
    m_view.saveSystem.enabled = selected;
}

void ConfigurationController::showSelectedEntry() {
    setFieldsLocked(false);
    const bool selected = !m_view.systems.text.empty();
    m_view.deleteSystem.enabled = selected;
    m_view.saveSystem.enabled = selected;
    std::int32_t position = findExact(m_view.systems.text);
    if (position == 0) {
        position = m_systems.count();
    }
    showEntry(position);
}

void ConfigurationController::showEntry(std::int32_t position) {
    if (position < 1 || position > m_systems.count()) {
        emptyFields();
        return;
    }
    m_view.name.text = m_systems.name(position);
    m_view.ipAddress.text = m_systems.ipAddress(position);
    m_view.port.text = m_systems.port(position);
    nameChanged();
}

void ConfigurationController::emptyFields() {
    m_view.ipAddress.text.clear();
    m_view.port.text.clear();
    m_view.name.text.clear();
    nameChanged();
}

void ConfigurationController::nameChanged() {
    m_view.saveSystem.enabled = !m_view.name.text.empty();
}

void ConfigurationController::setFieldsLocked(bool locked) {
    m_view.name.locked = locked;
    m_view.ipAddress.locked = locked;
    m_view.port.locked = locked;
}

void ConfigurationController::clearSelection() {
    m_view.systems.items.clear();
    m_view.systems.text.clear();
    m_view.systems.index = -1;
}

void ConfigurationController::removeFromSelection(const std::string &name) {
    SystemSelection &selection = m_view.systems;
    const auto it = std::find(selection.items.begin(), selection.items.end(), name);
    if (it == selection.items.end()) {
        return;
    }
    const int removed = static_cast<int>(it - selection.items.begin());
    selection.items.erase(it);
    if (removed == selection.index) {
        selection.index = -1;
        selection.text.clear();
    } else if (removed < selection.index) {
        --selection.index;
    }
}

void ConfigurationController::refillSelections() {
    clearSelection();
    m_mainSelector.clear();
    for (std::int32_t i = 1; i <= m_systems.count(); ++i) {
        m_view.systems.items.push_back(m_systems.name(i));
        m_mainSelector.push_back(m_systems.name(i));
    }
}

// Save's replacement step: the selected entry goes and the edited one is appended, so a saved
// entry moves to the end of the list (and its address, the list position, changes with it).
void ConfigurationController::replaceSelected(const std::string &name, const std::string &ipAddress,
                                              const std::string &port) {
    if (m_view.systems.text.empty()) {
        return;
    }
    const Snapshot before = snapshot();
    const std::string selected = m_view.systems.text;
    if (const std::int32_t position = findExact(selected); position > 0) {
        m_systems.remove(position);
        removeFromSelection(selected);
        const auto it = std::find(m_mainSelector.begin(), m_mainSelector.end(), selected);
        if (it != m_mainSelector.end()) {
            m_mainSelector.erase(it);
        }
    }
    if (nameInUse(name)) {
        m_box.show(m_texts(TextId::NameInUse), platform::style::kCritical);
        // The reload reads the list back from the file; putting it back here as well keeps the
        // entry even if that reload cannot run, so the write that follows cannot lose it.
        m_systems = before.systems;
        m_view.systems.items = before.selection.items;
        m_mainSelector = before.mainSelector;
        m_hooks.reloadMainWindow();
        return;
    }
    m_systems.append(name, ipAddress, port);
    refillSelections();
    emptyFields();
}

std::int32_t ConfigurationController::findExact(const std::string &name) const {
    for (std::int32_t i = 1; i <= m_systems.count(); ++i) {
        if (m_systems.name(i) == name) {
            return i;
        }
    }
    return 0;
}

ConfigurationController::Snapshot ConfigurationController::snapshot() const {
    return Snapshot{m_systems,   m_view.systems,      m_view.name,       m_view.ipAddress,
                    m_view.port, m_view.deleteSystem, m_view.saveSystem, m_mainSelector};
}

void ConfigurationController::restore(const Snapshot &before) {
    m_systems = before.systems;
    m_view.systems = before.selection;
    m_view.name = before.name;
    m_view.ipAddress = before.ipAddress;
    m_view.port = before.port;
    m_view.deleteSystem = before.deleteSystem;
    m_view.saveSystem = before.saveSystem;
    m_mainSelector = before.mainSelector;
}

void ConfigurationController::writeFile(const Snapshot &before) {
    // The file is replaced whole or not at all; when it stays as it was, the window and the main
    // window's selection go back to showing what it holds, and the operator's typing is kept.
    try {
        writeSiteConfig(m_saver, m_systems, m_values.configPath);
    } catch (...) {
        restore(before);
        throw;
    }
}

} // namespace aql::config
