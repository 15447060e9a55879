#include "link/VariablesController.h"

#include "core/Error.h"
#include "core/Numbers.h"
#include "records/Conversions.h"

namespace aql::link {

namespace {
constexpr int kTextBadVariableValue = 203;
const char *const kBadVariableValueFallback =
    "Enter a whole number from -32768 to 32767. Nothing has been written.";
} // namespace

VariablesController::VariablesController(CommandSender &comms, platform::TimerFactory &timers,
                           platform::MessageBox &box, TextSource texts)
    : m_comms(comms), m_box(box), m_texts(std::move(texts)),
      m_tmrFillDatabase(timers.createTimer(kIdleInterval)) {
    m_tmrFillDatabase->setOnTick([this] { tmrFillDatabase_Timer(); });
}

std::int32_t VariablesController::convertRaw(std::int32_t raw) {
    return raw > 33000 ? raw - 65536 : raw;
}

void VariablesController::Form_Load() {
    writeIdle = true;
    m_comms.sendASKBLOCK(0);
    grid[0][0] = "AQL-170 Variables";
    for (int row = 1; row < kGridRows; ++row) {
        grid[static_cast<std::size_t>(row)][0] = std::to_string(row - 1);
    }
    askBlock = 2;
    cycling = true;
    m_tmrFillDatabase->setEnabled(true);
    notify();
}

void VariablesController::AskBlockOKnow(std::int16_t Index, std::string_view vars) {
    if (Index < 0 || Index >= kBlocks) {
        throw standardError(errc::kSubscriptOutOfRange, "VariablesController.AskBlockOKnow");
    }
    auto &block = values[static_cast<std::size_t>(Index)];
    for (std::size_t i = 1; i <= 26; ++i) {
        block[i] = convertRaw(records::wordFromChars(vars.substr(2 * i - 2, 2)));
    }

    if (values[kChangeFlagBlock][kChangeFlagVar] == 1) {
        // The flag lives in block 2: clearing it must write block 2, whichever block the next
        // tick happens to ask for.
        writeBlock = kChangeFlagBlock;
        writeVar = kChangeFlagVar;
        writeValue = 0;
        cycling = true;
        writeIdle = false;
        m_tmrFillDatabase->setInterval(kWriteInterval);
    }

    if (!writeIdle) {
        // Compared as the 16-bit pattern that went out: the display threshold shows a written
        // -32768 .. -32536 as a positive number, and comparing the shown value would repeat
        // such a write for ever.
        const auto held = static_cast<std::uint16_t>(
            values[static_cast<std::size_t>(writeBlock)][static_cast<std::size_t>(writeVar)]);
        if (held != static_cast<std::uint16_t>(writeValue)) {
            m_comms.sendSETVAR(writeBlock, writeVar, static_cast<std::int16_t>(writeValue));
            askBlock = writeBlock;
        } else {
            writeIdle = true;
            m_tmrFillDatabase->setInterval(kIdleInterval);
        }
    } else if (cycling) {
        askBlock = static_cast<std::int16_t>(Index + 1 == 9 ? 1 : Index + 1);
        if (askBlock == 2) {
            cycling = false;
        }
    } else {
        askBlock = 2;
    }
    notify();
}

void VariablesController::tmrFillDatabase_Timer() {
    for (int b = 1; b <= 8; ++b) {
        for (int v = 1; v <= 25; ++v) {
            const auto k = static_cast<std::size_t>((b - 1) * 25 + (v - 1));
            lblNRvar[k] = std::to_string(v);
            txtVAR[k] =
                std::to_string(values[static_cast<std::size_t>(b)][static_cast<std::size_t>(v)]);
        }
    }
    m_comms.sendASKBLOCK(askBlock);
    Label4 = std::to_string(askBlock);
    Option1 = !Option1;
    notify();
}

void VariablesController::txtVAR_Click(int index) {
    if (index < 0 || index >= kCellsShown) {
        return;
    }
    if (!writeIdle) {
        fraBussyVisible = true;
        focus = "cmdOK";
        notify();
        return;
    }
    writeBlock = static_cast<std::int16_t>(selectedTab + 1);
    writeVar = static_cast<std::int16_t>(index + 1 - 25 * selectedTab);
    lblSetVarNr = "Var. nr.: " + std::to_string(writeVar);
    lblSetVarActueel = "Var. Actueel: " + txtVAR[static_cast<std::size_t>(index)];
    m_panelFromGrid = false;
    fraSetValueVisible = true;
    focus = "txtChange";
    notify();
}

void VariablesController::txtChange_KeyPress(int keyAscii) {
    if (keyAscii == 27) {
        fraSetValueVisible = false;
        notify();
        return;
    }
    if (keyAscii != 13) {
        return;
    }
    if (m_panelFromGrid) {
        // A grid row names no block: writing would hit whichever variable a tab chose last.
        fraSetValueVisible = false;
        txtChange.clear();
        notify();
        return;
    }
    std::int16_t value = 0;
    try {
        value = textToInt16(txtChange);
        if (static_cast<double>(value) != leadingNumber(txtChange)) {
            throw standardError(errc::kTypeMismatch); // a fraction: not a whole number
        }
    } catch (const AqlError &) {
        // A typo must never reach the controller as 0 or as a rounded value.
        std::string text = m_texts(kTextBadVariableValue);
        if (text.rfind("####-", 0) == 0) {
            text = kBadVariableValueFallback;
        }
        m_box.show(text, platform::style::kCritical);
        focus = "txtChange";
        notify();
        return;
    }
    fraSetValueVisible = false;
    writeValue = value;
    txtChange.clear();
    m_tmrFillDatabase->setInterval(kWriteInterval);
    writeIdle = false;
    notify();
}

void VariablesController::cmdOK_Click() {
    fraBussyVisible = false;
    notify();
}

void VariablesController::msfDataBase_Click(int row) {
    if (row < 0 || row >= kGridRows) {
        return;
    }
    lblSetVarNr = "Var. nr.: " + std::to_string(row - 1);
    lblSetVarActueel = "Var. Actueel: " + grid[static_cast<std::size_t>(row)][1];
    m_panelFromGrid = true;
    fraSetValueVisible = true;
    focus = "txtChange";
    notify();
}

} // namespace aql::link
