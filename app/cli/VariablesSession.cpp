#include "cli/VariablesSession.h"

namespace aql::cli {

namespace {

// The value as the 16 bits that travel: the window shows -32768 .. -32536 as positive numbers.
std::uint16_t bitsOf(std::int32_t value) {
    return static_cast<std::uint16_t>(value);
}

} // namespace

VariablesSession::VariablesSession(link::Console &console, platform::TimerFactory &timers,
                                   VariablesSettings settings, link::MonotonicClock clock)
    : m_console(console), m_settings(std::move(settings)), m_clock(std::move(clock)),
      m_timer(timers.createTimer(kTickMs)) {
    m_timer->setOnTick([this] { tick(); });
}

bool VariablesSession::wanted(int block) const {
    if (m_settings.write) {
        return block == m_settings.write->block;
    }
    return !m_settings.block || *m_settings.block == block;
}

bool VariablesSession::allRead() const {
    for (int b = 0; b <= 8; ++b) {
        if (wanted(b) && m_arrivals[static_cast<std::size_t>(b)] == 0) {
            return false;
        }
    }
    return true;
}

std::uint64_t VariablesSession::validReplies() const {
    const auto &c = m_console.receiveCounters();
    return c.linesHandled - c.linesIgnored - c.checksumErrors - c.otherAddress;
}

void VariablesSession::start() {
    const std::int64_t startMs = m_clock();
    m_deadlineMs = startMs + m_settings.timeoutMs;
    m_console.setEndpoint(m_settings.host, m_settings.port);
    m_console.setCurrentPool(nullptr, m_settings.address);
    m_console.setBlockObserver([this](std::int16_t block) {
        if (block >= 0 && block <= 8) {
            ++m_arrivals[static_cast<std::size_t>(block)];
        }
    });
    m_repliesAtStart = validReplies();
    m_console.chooseOnline();
    if (!m_console.view().onlineSelected || !m_console.connected()) {
        finish(Outcome::ConnectFailed);
        return;
    }
    if (m_interrupted) {
        finish(Outcome::Interrupted);
        return;
    }
    (void)m_console.variables(); // loaded: stores every block that arrives
    if (m_settings.write) {
        sendWrite();
    } else {
        askMissingBlock();
    }
    m_timer->setEnabled(true);
}

void VariablesSession::sendWrite() {
    const VariableWrite &write = *m_settings.write;
    if (m_writesSent == 0) {
        m_arrivalsAtWrite = m_arrivals[static_cast<std::size_t>(write.block)];
    }
    m_console.commands().sendSetVariable(static_cast<std::int16_t>(write.block),
                                         static_cast<std::int16_t>(write.variable), write.value);
    m_console.variables().requestBlock(static_cast<std::int16_t>(write.block));
    ++m_writesSent;
    m_lastWriteMs = m_lastAskMs = m_clock();
}

void VariablesSession::askMissingBlock() {
    for (int b = 0; b <= 8; ++b) {
        if (wanted(b) && m_arrivals[static_cast<std::size_t>(b)] == 0) {
            m_console.variables().requestBlock(static_cast<std::int16_t>(b));
            m_lastAskMs = m_clock();
            return;
        }
    }
}

void VariablesSession::interrupt() {
    m_interrupted = true;
    if (m_outcome == Outcome::Running && m_timer->enabled()) {
        finish(Outcome::Interrupted);
    }
}

void VariablesSession::tick() {
    if (m_outcome != Outcome::Running) {
        return;
    }
    if (!m_console.view().onlineSelected) {
        finish(Outcome::LinkLost);
        return;
    }
    const std::int64_t now = m_clock();
    if (m_settings.write) {
        const VariableWrite &write = *m_settings.write;
        const auto block = static_cast<std::size_t>(write.block);
        if (m_arrivals[block] > m_arrivalsAtWrite) {
            const std::int32_t held = m_console.variables().value(write.block, write.variable);
            m_readBack = held;
            if (bitsOf(held) == bitsOf(write.value)) {
                finish(Outcome::Done);
                return;
            }
        }
    } else if (allRead()) {
        finish(Outcome::Done);
        return;
    }
    if (now >= m_deadlineMs) {
        if (validReplies() == m_repliesAtStart) {
            finish(Outcome::NoValidReply);
        } else {
            finish(m_settings.write ? Outcome::NotConfirmed : Outcome::BlocksMissing);
        }
        return;
    }
    if (m_settings.write) {
        if (now - m_lastWriteMs >= kRewriteMs) {
            sendWrite();
        }
    } else if (now - m_lastAskMs >= kAskMs) {
        // The window alone would take a pass of 3-second ticks; ask for what is still missing.
        askMissingBlock();
    }
}

std::string VariablesSession::report() const {
    std::string out;
    const link::VariablesController *variables = m_console.loadedVariables();
    if (variables == nullptr) {
        return out;
    }
    for (int b = 0; b <= 8; ++b) {
        if (!wanted(b) || m_arrivals[static_cast<std::size_t>(b)] == 0) {
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

std::string VariablesSession::summary() const {
    const std::string waited = std::to_string(m_settings.timeoutMs / 1000) + " s";
    switch (m_outcome) {
    case Outcome::Running: return "still running";
    case Outcome::Done: {
        if (!m_settings.write) {
            return "done";
        }
        const VariableWrite &write = *m_settings.write;
        std::string text = "variable " + std::to_string(write.variable) + " of block " +
                           std::to_string(write.block) + " now reads " +
                           std::to_string(m_readBack.value_or(0));
        if (m_readBack && *m_readBack != write.value) {
            text += " (the same 16 bits as " + std::to_string(write.value) +
                    ": the controller shows values up to 33000 as positive)";
        }
        return text;
    }
    case Outcome::ConnectFailed:
        return "could not connect to the controller at " + m_settings.host + ":" + m_settings.port;
    case Outcome::LinkLost: return "the connection to the controller was lost";
    case Outcome::NoValidReply:
        return "no valid reply from address " + std::to_string(m_settings.address) + " within " +
               waited;
    case Outcome::BlocksMissing: {
        std::string missing;
        for (int b = 0; b <= 8; ++b) {
            if (wanted(b) && m_arrivals[static_cast<std::size_t>(b)] == 0) {
                missing += (missing.empty() ? "" : ", ") + std::to_string(b);
            }
        }
        return "the controller did not send block " + missing + " within " + waited;
    }
    case Outcome::NotConfirmed: {
        const VariableWrite &write = *m_settings.write;
        std::string text = "the controller did not confirm the write within " + waited + " (" +
                           std::to_string(m_writesSent) + " writes sent; ";
        if (m_readBack) {
            text += "variable " + std::to_string(write.variable) + " of block " +
                    std::to_string(write.block) + " reads " + std::to_string(*m_readBack) + ")";
        } else {
            text += "no reply of block " + std::to_string(write.block) + " since)";
        }
        return text;
    }
    case Outcome::Interrupted: return "interrupted";
    }
    return "";
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
