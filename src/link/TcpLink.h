#pragma once

#include "link/FrameCodec.h"
#include "link/PanelView.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/MessageBox.h"
#include "platform/Socket.h"
#include "platform/Timer.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace aql::link {

// The logic of the connection window `TCP`: the one TCP connection to the current controller,
// the answer watchdog, the event log and the error texts.
class TcpLink : public platform::SocketListener {
public:
    static constexpr std::size_t kLogLines = 25;
    static constexpr const char *kServicePassword = "Tobrin47";

    struct Hooks {
        std::function<void()> selectOffLine;               // select optOffLine (runs Offline)
        std::function<void()> selectOnLine;                // select optOnLine (runs Online)
        std::function<void(const std::string &)> received; // collectReceivedText
        // Host and port text of the pool chosen in the main window's selection.
        std::function<std::pair<std::string, std::string>()> endpoint;
    };

    TcpLink(platform::Socket &socket, platform::TimerFactory &timers, platform::EventPump &pump,
            platform::MessageBox &box, const platform::Clock &clock, PanelView &panel,
            TextSource texts);
    ~TcpLink() override;

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    void Connect();
    void CloseCon();
    void Closing();
    void Sending(const Bytes &frame);
    void Connecting();

    int state() const { return m_socket.state(); }
    bool connected() const { return state() == platform::sockstate::kConnected; }

    // Password panel and buttons.
    void cmdPassword_Click();
    void cmdCancel_Click();
    void cmdhide_Click();
    void cmdConnect_Click();
    void cmdClose_Click();

    // Socket events.
    void dataArrival(std::size_t bytesWaiting) override;
    void socketError(int number, const std::string &description) override;

    // Timer ticks (public so tests and the widgets see the same entry points).
    void tmrStateConnect_Timer();
    void tmrRespons_Timer();

    // Window contents.
    std::string txtIP = "0.0.0.0";
    std::string txtPort = "0";
    std::string Text1; // last frame sent
    std::string Text2; // last text received
    std::string Text6 = "3";
    std::string Text7 = "10000"; // answer time-out, ms
    std::string Text8;           // connect ticks
    std::deque<std::string> List1;
    bool fraPasswordVisible = true;
    std::string txtPassword;
    bool passwordFocused = false;
    bool visible = false;
    std::function<void()> windowChanged;

    std::int32_t responseElapsed = 0;
    std::int32_t connectTicks = 0;

    platform::Timer &tmrStateConnect() { return *m_tmrStateConnect; }
    platform::Timer &tmrRespons() { return *m_tmrRespons; }

    // The message text that showSocketError builds for an error number (without the box).
    std::string socketErrorText(int number, const std::string &description) const;

private:
    void connectAndWait();
    void setConnectingUi(bool enable);
    void logLine(const std::string &text);
    void showSocketError(int number, const std::string &description);
    void notifyWindow();

    platform::Socket &m_socket;
    platform::EventPump &m_pump;
    platform::MessageBox &m_box;
    const platform::Clock &m_clock;
    PanelView &m_panel;
    TextSource m_texts;
    Hooks m_hooks;
    std::unique_ptr<platform::Timer> m_tmrStateConnect;
    std::unique_ptr<platform::Timer> m_tmrRespons;
};

} // namespace aql::link
