#include "link/VariablesController.h"

#include "core/Error.h"
#include "core/Numbers.h"
#include "core/TextId.h"
#include "records/Conversions.h"

namespace aql::link {

namespace {
const char *const kNotAWholeNumberFallback =
    "Enter a whole number from -32768 to 32767. Nothing has been written.";
} // namespace

VariablesController::VariablesController(CommandSender &sender, platform::TimerFactory &timers,
                                         platform::MessageBox &box, TextSource texts)
    : m_sender(sender), m_box(box), m_texts(std::move(texts)),
      m_pollTimer(timers.createTimer(kIdleInterval)) {
    m_pollTimer->setOnTick([this] { pollNextBlock(); });
    for (int tab = 0; tab < kTabs; ++tab) {
        m_view.tabCaptions[static_cast<std::size_t>(tab)] = "Blok " + std::to_string(tab + 1);
    }
}

std::int32_t VariablesController::convertRaw(std::int32_t raw) {
    return raw > 33000 ? raw - 65536 : raw;
}

void VariablesController::load() {
    m_writePending = false;
    m_sender.sendAskBlock(0);
    m_view.grid[0][0] = "AQL-170 Variables";
    for (int row = 1; row < kGridRows; ++row) {
        m_view.grid[static_cast<std::size_t>(row)][0] = std::to_string(row - 1);
    }
    m_askBlock = 2;
    m_cycling = true;
    m_pollTimer->setEnabled(true);
    changed();
}

void VariablesController::handleBlockReceived(std::int16_t block, std::string_view values) {
    if (block < 0 || block >= kBlocks) {
        throw standardError(errc::kSubscriptOutOfRange, "VariablesController.handleBlockReceived");
    }
    auto &stored = m_values[static_cast<std::size_t>(block)];
    for (std::size_t i = 1; i <= 26; ++i) {
        stored[i] = convertRaw(records::wordFromChars(values.substr(2 * i - 2, 2)));
    }

    if (value(kChangeFlagBlock, kChangeFlagVariable) == 1) {
        // The controller says its variables changed: clear the flag and read every block again.
        // The flag lives in block 2, so the write goes there whichever block is asked next.
        clearChangeFlag();
        m_cycling = true;
    }

    if (m_writePending) {
        // Compared as the 16-bit pattern that went out: the display threshold shows a written
        // -32768 .. -32536 as a positive number, and comparing the shown value would repeat
        // such a write for ever.
        const auto held = static_cast<std::uint16_t>(value(m_write.block, m_write.variable));
        if (held != static_cast<std::uint16_t>(m_write.value)) {
            m_sender.sendSetVariable(m_write.block, m_write.variable,
                                     static_cast<std::int16_t>(m_write.value));
            m_askBlock = m_write.block;
        } else {
            confirmWrite();
        }
    } else if (m_cycling) {
        m_askBlock = static_cast<std::int16_t>(block + 1 == kBlocks ? 1 : block + 1);
        if (m_askBlock == kChangeFlagBlock) {
            m_cycling = false;
        }
    } else {
        m_askBlock = kChangeFlagBlock;
    }
    changed();
}

void VariablesController::startWrite(const Write &write) {
    m_write = write;
    m_writePending = true;
    m_pollTimer->setInterval(kWriteInterval);
}

void VariablesController::clearChangeFlag() {
    const bool onFlag =
        m_write.block == kChangeFlagBlock && m_write.variable == kChangeFlagVariable;
    if (m_writePending && onFlag && m_write.value == 0) {
        return; // already under way
    }
    // The operator's write resumes once the flag reads 0; one aimed at the flag itself is
    // overtaken by the clearing, which writes the same variable.
    if (m_writePending && !onFlag) {
        m_waitingWrite = m_write;
    }
    startWrite({kChangeFlagBlock, kChangeFlagVariable, 0});
}

void VariablesController::confirmWrite() {
    m_writePending = false;
    m_pollTimer->setInterval(kIdleInterval);
    if (m_waitingWrite) {
        startWrite(*m_waitingWrite);
        m_askBlock = m_waitingWrite->block;
        m_waitingWrite.reset();
    }
}

void VariablesController::pollNextBlock() {
    for (int b = 1; b <= kTabs; ++b) {
        for (int v = 1; v <= kCellsPerTab; ++v) {
            const auto cell = static_cast<std::size_t>((b - 1) * kCellsPerTab + (v - 1));
            m_view.cellLabels[cell] = std::to_string(v);
            m_view.cellValues[cell] = std::to_string(value(b, v));
        }
    }
    m_sender.sendAskBlock(m_askBlock);
    m_view.askedBlockText = std::to_string(m_askBlock);
    m_view.pollHeartbeat = !m_view.pollHeartbeat;
    changed();
}

void VariablesController::requestBlock(std::int16_t block) {
    m_sender.sendAskBlock(block);
}

void VariablesController::selectTab(int tab) {
    if (tab < 0 || tab >= kTabs) {
        return;
    }
    m_view.selectedTab = tab;
    changed();
}

void VariablesController::selectCell(int cell) {
    if (cell < 0 || cell >= kCellsShown) {
        return;
    }
    if (m_writePending) {
        m_view.busyNoticeVisible = true;
        m_view.focus = Focus::BusyOk;
        changed();
        return;
    }
    Write target;
    target.block = static_cast<std::int16_t>(m_view.selectedTab + 1);
    target.variable = static_cast<std::int16_t>(cell + 1 - kCellsPerTab * m_view.selectedTab);
    m_editTarget = target;
    m_view.editVariableText = "Var. nr.: " + std::to_string(target.variable);
    m_view.editCurrentText = "Var. Actueel: " + m_view.cellValues[static_cast<std::size_t>(cell)];
    m_view.editPanelVisible = true;
    m_view.focus = Focus::EditBox;
    changed();
}

void VariablesController::selectGridCell(int row, int column) {
    if (row < 0 || row >= kGridRows || column < 0 || column >= kGridColumns) {
        return;
    }
    m_view.editVariableText = "Var. nr.: " + std::to_string(row - 1);
    m_view.editCurrentText =
        "Var. Actueel: " +
        m_view.grid[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    m_editTarget.reset();
    m_view.editPanelVisible = true;
    m_view.focus = Focus::EditBox;
    changed();
}

void VariablesController::setEditText(std::string text) {
    m_view.editText = std::move(text);
    changed();
}

void VariablesController::cancelEdit() {
    m_view.editPanelVisible = false;
    m_editTarget.reset();
    changed();
}

void VariablesController::confirmEdit() {
    if (!m_editTarget) {
        // A grid row names no block: writing would hit whichever variable a tab chose last.
        m_view.editPanelVisible = false;
        m_view.editText.clear();
        changed();
        return;
    }
    std::int16_t typed = 0;
    try {
        typed = textToInt16(m_view.editText);
        if (static_cast<double>(typed) != leadingNumber(m_view.editText)) {
            throw standardError(errc::kTypeMismatch); // a fraction: not a whole number
        }
    } catch (const AqlError &) {
        // A typo must never reach the controller as 0 or as a rounded value.
        std::string text = m_texts(TextId::NotAWholeNumber);
        if (text.rfind("####-", 0) == 0) {
            text = kNotAWholeNumberFallback;
        }
        m_box.show(text, platform::style::kCritical);
        m_view.focus = Focus::EditBox;
        changed();
        return;
    }
    m_view.editPanelVisible = false;
    m_view.editText.clear();
    Write write = *m_editTarget;
    write.value = typed;
    m_editTarget.reset();
    if (m_writePending) {
        // Clicks are refused while a write is pending, so the one under way is the change flag's
        // clearing, which began after the panel opened.
        m_waitingWrite = write;
    } else {
        startWrite(write);
    }
    changed();
}

std::optional<VariablesController::Write> VariablesController::cancelPendingWrite() {
    const bool clearingFlag = m_write.block == kChangeFlagBlock &&
                              m_write.variable == kChangeFlagVariable && m_write.value == 0;
    std::optional<Write> dropped;
    if (m_waitingWrite) {
        dropped = m_waitingWrite;
    } else if (m_writePending && !clearingFlag) {
        dropped = m_write;
    }
    if (!m_writePending && !m_waitingWrite) {
        return dropped;
    }
    // The change flag's own clearing goes too: the flag is read again after the next connect, and
    // cleared then if it still reads 1.
    m_writePending = false;
    m_waitingWrite.reset();
    m_pollTimer->setInterval(kIdleInterval);
    m_view.busyNoticeVisible = false;
    changed();
    return dropped;
}

void VariablesController::dismissBusyNotice() {
    m_view.busyNoticeVisible = false;
    changed();
}

} // namespace aql::link
