#include <QCoreApplication>

#include <gtest/gtest.h>

// The loopback tests need a Qt event loop in this thread: the server and the client socket both
// live in it.
int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
