#pragma once

#include <QAbstractSocket>

namespace aql::platform::qt {

// Qt failures that have no counterpart among the numbers the program knows. The program shows
// the socket's own description for any number it does not know, so one number serves them all;
// 10000 is the base of the Winsock range and never a real Winsock error.
constexpr int kOtherSocketError = 10000;

// The number the socket error event carries for a Qt socket error: the Winsock number of the
// same failure where there is one, so the program's messages stay the ones operators know.
int socketErrorNumber(QAbstractSocket::SocketError error);

} // namespace aql::platform::qt
