#pragma once

#include "link/CommandSender.h"
#include "link/ConnectionModes.h"
#include "link/ErrorReporter.h"
#include "link/PanelView.h"
#include "link/ReceiveDispatcher.h"
#include "link/RemotePanel.h"
#include "link/TcpLink.h"
#include "link/VariablesController.h"
#include "platform/Beep.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/MessageBox.h"
#include "platform/Socket.h"
#include "platform/Timer.h"

#include <functional>
#include <memory>
#include <string>

namespace aql::link {

struct PlatformServices {
    platform::Socket &socket;
    platform::TimerFactory &timers;
    platform::EventPump &pump;
    platform::MessageBox &messageBox;
    platform::Beep &beep;
    const platform::Clock &clock;
};

struct ProgramInfo {
    std::string exeName = "AQLRemote";
    int major = 2;
    int minor = 0;
    int revision = 41;
};

// The controller side of the main window, wired together: connection, command sender, receive
// dispatcher, mirrored panel, mode panel and (once opened) the variables window. The windows and
// the command-line tool both drive this one object.
class Console {
public:
    Console(PlatformServices services, TextSource texts, ProgramInfo info = {});
    ~Console();

    // The pool being operated: its records receive the log, its address goes into every frame.
    void setCurrentPool(records::RecordList *records, std::uint8_t address);
    // The endpoint of the pool chosen in the selection box.
    void setEndpoint(std::string host, std::string port);
    // Or asked for at every connect, so it follows the selection box.
    void setEndpointProvider(std::function<std::pair<std::string, std::string>()> provider);

    // The variables window, created and loaded on first use.
    VariablesController &variables();
    bool variablesLoaded() const { return m_variables != nullptr; }
    void unloadVariables();

    // Called after a variable block has been stored by the variables window.
    std::function<void(std::int16_t block)> blockReceived;

    PanelView panel;
    ErrorReporter error;
    TcpLink tcp;
    CommandSender comms;
    ReceiveDispatcher online;
    RemotePanel remote;
    ConnectionModes modes;

private:
    PlatformServices m_services;
    TextSource m_texts;
    std::string m_host;
    std::string m_port;
    std::function<std::pair<std::string, std::string>()> m_endpointProvider;
    std::unique_ptr<VariablesController> m_variables;
};

} // namespace aql::link
