// The yardstick of the console's start-up: an empty Qt main window that says "shown" the moment
// the window system shows it, then ends.

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <QWindow>

#include <iostream>

namespace {

class ExposeWatch : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!m_told && event->type() == QEvent::Expose &&
            static_cast<QWindow *>(watched)->isExposed()) {
            m_told = true;
            std::cout << "shown" << std::endl;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool m_told = false;
};

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Empty"));
    window.resize(640, 480);
    ExposeWatch watch;
    window.winId(); // the native window exists before it is shown, so its events can be watched
    window.windowHandle()->installEventFilter(&watch);
    window.show();
    return QApplication::exec();
}
