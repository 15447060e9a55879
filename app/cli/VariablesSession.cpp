#include "cli/VariablesSession.h"

namespace aql::cli {

VariablesSession::VariablesSession(link::Console &console, platform::TimerFactory &timers,
                                   VariablesSettings settings)
    : m_console(console), m_settings(std::move(settings)), m_timer(timers.createTimer(kTickMs)) {
    m_timer->setOnTick([this] { tick(); });
}

const char *VariablesSession::describe(Outcome outcome) {
    switch (outcome) {
    case Outcome::Running: return "running";
    case Outcome::Done: return "done";
    case Outcome::ConnectFailed: return "could not connect to the controller";
    case Outcome::LinkLost: return "the connection to the controller was lost";
    case Outcome::Refused: return "the value was refused; nothing has been written";
    case Outcome::TimedOut: return "the controller did not confirm in time";
    }
    return "";
}

bool VariablesSession::allRead() const {
    if (m_settings.block) {
        return m_read[static_cast<std::size_t>(*m_settings.block)];
    }
    for (bool r : m_read) {
        if (!r) {
            return false;
        }
    }
    return true;
}

void VariablesSession::start() {
    m_console.setEndpoint(m_settings.host, m_settings.port);
    m_console.setCurrentPool(nullptr, m_settings.address);
    m_console.setBlockObserver([this](std::int16_t block) {
        if (block >= 0 && block <= 8) {
            m_read[static_cast<std::size_t>(block)] = true;
        }
    });
    m_console.chooseOnline();
    if (!m_console.view().onlineSelected || !m_console.connected()) {
        finish(Outcome::ConnectFailed);
        return;
    }
    link::VariablesController &variables = m_console.variables();
    if (m_settings.write) {
        const VariableWrite &write = *m_settings.write;
        const int tab = write.block - 1;
        variables.selectTab(tab);
        variables.selectCell(tab * link::VariablesController::kCellsPerTab + (write.var - 1));
        variables.setEditText(write.value);
        variables.confirmEdit();
        if (!variables.writePending()) {
            finish(Outcome::Refused); // the window said why
            return;
        }
        m_writeStarted = true;
    }
    m_timer->setEnabled(true);
}

void VariablesSession::tick() {
    if (m_outcome != Outcome::Running) {
        return;
    }
    m_elapsedMs += kTickMs;
    if (!m_console.view().onlineSelected) {
        finish(Outcome::LinkLost);
        return;
    }
    link::VariablesController &variables = m_console.variables();
    if (m_writeStarted) {
        if (!variables.writePending()) {
            finish(Outcome::Done);
            return;
        }
    } else if (allRead()) {
        finish(Outcome::Done);
        return;
    } else {
        // The window alone would take a pass of 3-second ticks; ask for what is still missing.
        for (int b = 0; b <= 8; ++b) {
            if ((!m_settings.block || *m_settings.block == b) &&
                !m_read[static_cast<std::size_t>(b)]) {
                variables.requestBlock(static_cast<std::int16_t>(b));
                break;
            }
        }
    }
    if (m_elapsedMs >= static_cast<std::int64_t>(m_settings.timeoutSeconds) * 1000) {
        finish(Outcome::TimedOut);
    }
}

std::string VariablesSession::report() const {
    std::string out;
    const link::VariablesController *variables = m_console.loadedVariables();
    for (int b = 0; b <= 8; ++b) {
        if (!m_read[static_cast<std::size_t>(b)] || (m_settings.block && *m_settings.block != b)) {
            continue;
        }
        out += "block " + std::to_string(b) + ":";
        for (int v = 1; v <= 26; ++v) {
            out += " " + std::to_string(variables->value(b, v));
        }
        out += "\n";
    }
    return out;
}

void VariablesSession::finish(Outcome outcome) {
    m_outcome = outcome;
    m_timer->setEnabled(false);
    m_console.chooseOffline();
    if (finished) {
        finished(outcome);
    }
}

} // namespace aql::cli
