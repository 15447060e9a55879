#pragma once

#include <cstdint>
#include <string>

namespace aql::platform {

// Socket states as the program numbers them; "connected" everywhere means 7.
namespace sockstate {
constexpr int kClosed = 0;
constexpr int kConnecting = 6; // host lookup included
constexpr int kConnected = 7;
constexpr int kClosing = 8;
} // namespace sockstate

// Error numbers of the socket's error event. The program shows its own texts for these.
namespace sockerr {
constexpr int kAddressNotAvailable = 10049;
constexpr int kConnectionAborted = 10053; // also a close by the controller
constexpr int kTimedOut = 10060;
constexpr int kConnectionRefused = 10061;
constexpr int kHostUnreachable = 10065;
constexpr int kHostNotFound = 11001;
} // namespace sockerr

class SocketListener {
public:
    virtual ~SocketListener() = default;
    // Bytes are waiting; fetch them with readAll().
    virtual void dataArrival(std::size_t bytesWaiting) = 0;
    // The socket failed; its state is no longer connecting or connected.
    virtual void socketError(int number, const std::string &description) = 0;
};

// An asynchronous TCP client socket. Events are delivered from the event loop, never from inside
// a call to one of these methods.
class Socket {
public:
    virtual ~Socket() = default;
    virtual void setListener(SocketListener *listener) = 0;
    virtual void setRemoteHost(const std::string &host) = 0;
    virtual void setRemotePort(std::int32_t port) = 0;
    virtual void setLocalPort(std::int32_t port) = 0;
    virtual void connect() = 0;
    virtual int state() const = 0;
    // Sends the bytes as one write, without waiting for earlier data to be acknowledged.
    virtual void send(const std::string &bytes) = 0;
    // All bytes received so far and not yet fetched.
    virtual std::string readAll() = 0;
    virtual void close() = 0;
};

} // namespace aql::platform
