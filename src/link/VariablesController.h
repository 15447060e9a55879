#pragma once

#include "link/CommandSender.h"
#include "link/PanelView.h"
#include "platform/MessageBox.h"
#include "platform/Timer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace aql::link {

// The logic of the variables window `VariablesController`: reads the controller's variable blocks, shows
// blocks 1-8 on eight tabs of 25, and writes one variable at a time, repeating the write until
// the controller reports the new value back.
class VariablesController {
public:
    static constexpr int kBlocks = 9;  // 0-8
    static constexpr int kValues = 27; // 0-26; 0 is never written
    static constexpr int kCellsShown = 200;
    static constexpr int kGridRows = 124;
    static constexpr int kIdleInterval = 3000;
    static constexpr int kWriteInterval = 500;
    static constexpr int kChangeFlagBlock = 2;
    static constexpr int kChangeFlagVar = 12;

    VariablesController(CommandSender &comms, platform::TimerFactory &timers, platform::MessageBox &box,
                 TextSource texts);

    void Form_Load();
    // Block `Index` (0-8; anything else is AqlError 9 and the packet is dropped) with its 26
    // values as 52 bytes, two per value, little-endian.
    void AskBlockOKnow(std::int16_t Index, std::string_view vars);
    void tmrFillDatabase_Timer();
    void txtVAR_Click(int index);
    // Enter (13) writes the typed value, Escape (27) cancels; other keys are typing.
    void txtChange_KeyPress(int keyAscii);
    void cmdOK_Click();
    void msfDataBase_Click(int row);

    // A raw 16-bit value as the window shows it: above 33000 it is negative.
    static std::int32_t convertRaw(std::int32_t raw);

    // State.
    std::array<std::array<std::int32_t, kValues>, kBlocks> values{};
    std::int16_t askBlock = 0;
    bool cycling = false;
    bool writeIdle = true;
    std::int16_t writeBlock = 1;
    std::int16_t writeVar = 0;
    std::int32_t writeValue = 0;

    // Controls.
    int selectedTab = 0; // 0-7 = "Blok 1" .. "Blok 8"
    std::array<std::string, kCellsShown> lblNRvar{};
    std::array<std::string, kCellsShown> txtVAR{};
    std::string txtChange;
    bool fraSetValueVisible = false;
    bool fraBussyVisible = false;
    std::string lblSetVarNr;
    std::string lblSetVarActueel;
    std::string Label4;
    bool Option1 = false;
    std::array<std::array<std::string, 2>, kGridRows> grid{};
    std::string focus; // control holding the keyboard focus
    std::function<void()> changed;

    platform::Timer &tmrFillDatabase() { return *m_tmrFillDatabase; }

private:
    void notify() const {
        if (changed) {
            changed();
        }
    }

    CommandSender &m_comms;
    platform::MessageBox &m_box;
    TextSource m_texts;
    std::unique_ptr<platform::Timer> m_tmrFillDatabase;
    bool m_panelFromGrid = false; // the edit panel shows a grid row, not a variable of a tab
};

} // namespace aql::link
