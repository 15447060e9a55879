#pragma once

#include "core/Observers.h"
#include "link/FrameCodec.h"
#include "link/LinkStatus.h"
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
#include <utility>

namespace aql::link {

// The one TCP connection to the current controller and its service window: connecting and
// closing, the answer watchdog, the event log and the texts of socket errors. The connection works
// whether the window is shown or not.
class TcpLink : public platform::SocketListener {
public:
    static constexpr std::size_t kLogLines = 25;
    static constexpr const char *kServicePassword = "Tobrin47";

    // The window's fixed texts in the current language.
    struct Captions {
        std::string title;
        std::string passwordLabel, ok, cancel;
        std::string connect, hide, close;
        std::string hostLabel, portLabel; // the configuration window's "IP address:" and "Port:"
        std::string sentLabel, receivedLabel;
        std::string attemptsBefore, attemptsAfter; // around the attempts box
        std::string timeoutBefore, timeoutAfter;   // around the answer time-out box
        std::string ticksBefore, ticksAfter;       // around the connect ticks
    };

    struct View {
        std::string host = "0.0.0.0"; // of the last connect
        std::string port = "0";
        std::string lastSent;
        std::string lastReceived;
        std::string attempts = "3";          // editable, read by nothing
        std::string answerTimeout = "10000"; // milliseconds without an answer, as typed
        std::string connectTicks;            // of the current connect
        std::deque<std::string> eventLog;    // the last kLogLines events, oldest first
        bool passwordPanelVisible = true;    // covers the window until the password is given
        std::string password;
        bool passwordFocused = false;
        bool visible = false;
        Captions captions;
    };

    struct Hooks {
        std::function<void()> chooseOffline; // select Offline in the main window
        std::function<void()> chooseOnline;  // select Online in the main window
        std::function<void(const std::string &)> received;
        // Host and port text of the pool chosen in the main window's selection.
        std::function<std::pair<std::string, std::string>()> endpoint;
        // The connection has ended, and why. True when the loss is reported elsewhere (the status
        // and the event log while reconnecting), so no message box is shown for it.
        std::function<bool(const ConnectionEnd &end)> ended;
    };

    TcpLink(platform::Socket &socket, platform::TimerFactory &timers, platform::EventPump &pump,
            platform::MessageBox &box, const platform::Clock &clock, PanelModel &panel,
            TextSource texts);
    ~TcpLink() override;
    TcpLink(const TcpLink &) = delete;
    TcpLink &operator=(const TcpLink &) = delete;

    void setHooks(Hooks hooks);

    const View &view() const { return m_view; }
    [[nodiscard]] Subscription subscribe(std::function<void()> observer) {
        return m_notifier.subscribe(std::move(observer));
    }

    // Connects to the endpoint of the selected pool and returns once the attempt is decided.
    void connect();
    // Closes the connection and selects Offline in the main window. Without a reason it is the
    // operator's close.
    void closeConnection(ConnectionEnd why = {EndReason::OperatorOffline, 0});
    // Sends one frame if connected; arms the answer watchdog in any case.
    void send(const Bytes &frame);

    int state() const { return m_socket.state(); }
    bool connected() const { return state() == platform::sockstate::kConnected; }
    // A connect is being waited for.
    bool connecting() const { return m_connecting; }
    // Why the last connection ended.
    const ConnectionEnd &lastEnd() const { return m_lastEnd; }

    // Milliseconds counted since the last answer while the watchdog runs.
    std::int32_t answerWaitMs() const { return m_answerWaitMs; }
    bool answerWatchdogRunning() const { return m_answerTimer->enabled(); }

    // The window.
    void show();
    void hide(); // and ask for the password at the next showing
    void setPassword(std::string text);
    void confirmPassword();
    void cancelPassword();
    void goOnline();
    void setAttempts(std::string text);
    void setAnswerTimeout(std::string text);
    void retranslate();

    // The clock.
    void countConnectTick();
    void countAnswerWait();

    // The message a socket error number shows (without the box).
    std::string socketErrorText(int number, const std::string &description) const;

    // Adds a line to the event log, after the time of day.
    void logEvent(const std::string &text);

private:
    // Socket events.
    void dataArrival(std::size_t bytesWaiting) override;
    void socketError(int number, const std::string &description) override;

    void connectAndWait();
    void closeSocket();
    void setConnectingUi(bool enable);
    void logLine(const std::string &text);
    void showSocketError(int number, const std::string &description);
    std::string timeOfDay() const;
    void changed() const { m_notifier.notify(); }

    platform::Socket &m_socket;
    platform::EventPump &m_pump;
    platform::MessageBox &m_box;
    const platform::Clock &m_clock;
    PanelModel &m_panel;
    TextSource m_texts;
    Hooks m_hooks;
    View m_view;
    ChangeNotifier m_notifier;
    std::int32_t m_answerWaitMs = 0;
    std::int32_t m_connectTicks = 0;
    bool m_connecting = false;
    ConnectionEnd m_lastEnd;
    bool m_lossReportedElsewhere = false; // by the ended hook, for the close just made
    std::unique_ptr<platform::Timer> m_connectTimer;
    std::unique_ptr<platform::Timer> m_answerTimer;
};

} // namespace aql::link
