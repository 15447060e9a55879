#include "platform/qt/SocketErrorNumber.h"

#include "platform/Socket.h"

namespace aql::platform::qt {

int socketErrorNumber(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return sockerr::kConnectionRefused;
    // An orderly close by the controller is reported like an aborted connection: the program
    // then closes and tells the operator at once instead of waiting out the answer time-out.
    case QAbstractSocket::RemoteHostClosedError: return sockerr::kConnectionAborted;
    case QAbstractSocket::HostNotFoundError: return sockerr::kHostNotFound;
    case QAbstractSocket::SocketTimeoutError: return sockerr::kTimedOut;
    // Qt folds "network unreachable" and "host unreachable" into one error.
    case QAbstractSocket::NetworkError: return sockerr::kHostUnreachable;
    case QAbstractSocket::SocketAddressNotAvailableError: return sockerr::kAddressNotAvailable;
    case QAbstractSocket::SocketAccessError: return 10013;               // WSAEACCES
    case QAbstractSocket::DatagramTooLargeError: return 10040;           // WSAEMSGSIZE
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045; // WSAEOPNOTSUPP
    case QAbstractSocket::AddressInUseError: return 10048;               // WSAEADDRINUSE
    case QAbstractSocket::SocketResourceError: return 10055;             // WSAENOBUFS
    default: return kOtherSocketError;
    }
}

} // namespace aql::platform::qt
