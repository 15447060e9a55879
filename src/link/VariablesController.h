#pragma once

#include "core/Observers.h"
#include "link/CommandSender.h"
#include "link/PanelView.h"
#include "platform/MessageBox.h"
#include "platform/Timer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace aql::link {

// The variables window's logic: reads the controller's variable blocks, shows blocks 1-8 on eight
// tabs of 25, and writes one variable at a time, repeating the write until the controller reports
// the new value back.
class VariablesController {
public:
    static constexpr int kBlocks = 9;  // 0-8
    static constexpr int kValues = 27; // 0-26; 0 is never written
    static constexpr int kTabs = 8;    // blocks 1-8
    static constexpr int kCellsPerTab = 25;
    static constexpr int kCellsShown = kTabs * kCellsPerTab;
    static constexpr int kGridRows = 124;
    static constexpr int kGridColumns = 2;
    static constexpr int kIdleInterval = 3000;
    static constexpr int kWriteInterval = 500;
    static constexpr int kChangeFlagBlock = 2;
    static constexpr int kChangeFlagVariable = 12;

    enum class Focus { None, EditBox, BusyOk };

    struct View {
        std::array<std::string, kTabs> tabCaptions{}; // "Blok 1" .. "Blok 8"
        int selectedTab = 0;
        // Cell (block - 1) * 25 + (variable - 1): the variable's number and its value.
        std::array<std::string, kCellsShown> cellLabels{};
        std::array<std::string, kCellsShown> cellValues{};
        // The edit panel.
        bool editPanelVisible = false;
        std::string editText;
        std::string editVariableText; // "Var. nr.: 7"
        std::string editCurrentText;  // "Var. Actueel: " and the value shown
        // The notice that a write is still being carried out.
        bool busyNoticeVisible = false;
        std::string askedBlockText; // the block the last poll asked for
        bool pollHeartbeat = false; // toggled by every poll
        std::array<std::array<std::string, kGridColumns>, kGridRows> grid{};
        Focus focus = Focus::None;
    };

    // The target of the pending write, or of the last one.
    struct Write {
        std::int16_t block = 1;
        std::int16_t variable = 0;
        std::int32_t value = 0;
    };

    VariablesController(CommandSender &sender, platform::TimerFactory &timers,
                        platform::MessageBox &box, TextSource texts);

    const View &view() const { return m_view; }
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }

    // Sets the window up and asks for block 0.
    void load();
    // Block 0-8 (anything else is AqlError 9 and the packet is dropped) with its 26 values as 52
    // bytes, two per value, little-endian.
    void handleBlockReceived(std::int16_t block, std::string_view values);
    // Refreshes the cells and asks for the next block.
    void pollNextBlock();
    // Asks for a block now, besides the poll.
    void requestBlock(std::int16_t block);

    void selectTab(int tab);
    // A value cell (0-199) clicked: opens the edit panel on its variable, or shows the busy
    // notice while a write is pending.
    void selectCell(int cell);
    // A grid cell clicked: the edit panel shows its row and its text, but names no variable, so
    // Enter there writes nothing. A cell outside the grid does nothing.
    void selectGridCell(int row, int column);
    void setEditText(std::string text);
    // Writes the typed value to the variable the edit panel was opened on; a text that is no whole
    // number of 16 bits is refused with a message. While the controller's change flag is being
    // cleared the write waits and starts once the flag reads 0.
    void confirmEdit();
    void cancelEdit();
    void dismissBusyNotice();
    // Drops the pending write and any write waiting behind it, so nothing repeats it later; gives
    // the operator's write that was dropped, if one was (not the clearing of the change flag).
    std::optional<Write> cancelPendingWrite();

    // A raw 16-bit value as the window shows it: above 33000 it is negative.
    static std::int32_t convertRaw(std::int32_t raw);

    // The values received last, blocks 0-8 and variables 0-26.
    std::int32_t value(int block, int variable) const {
        return m_values[static_cast<std::size_t>(block)][static_cast<std::size_t>(variable)];
    }
    std::int16_t askedBlock() const { return m_askBlock; }
    bool readingAllBlocks() const { return m_cycling; }
    bool writePending() const { return m_writePending; }
    const Write &lastWrite() const { return m_write; }
    int pollIntervalMs() const { return m_pollTimer->interval(); }

private:
    void startWrite(const Write &write);
    void confirmWrite();
    void clearChangeFlag();
    void changed() const { m_notifier.notify(); }

    CommandSender &m_sender;
    platform::MessageBox &m_box;
    TextSource m_texts;
    std::unique_ptr<platform::Timer> m_pollTimer;
    View m_view;
    ChangeNotifier m_notifier;
    std::array<std::array<std::int32_t, kValues>, kBlocks> m_values{};
    std::int16_t m_askBlock = 0;
    bool m_cycling = false; // reading all blocks in one pass
    bool m_writePending = false;
    Write m_write;
    // The variable the edit panel is open on (none for a grid row); only Enter on the panel uses
    // it, so clearing the change flag meanwhile cannot redirect the typed value.
    std::optional<Write> m_editTarget;
    // The operator's write, set aside while the change flag is cleared.
    std::optional<Write> m_waitingWrite;
};

} // namespace aql::link
