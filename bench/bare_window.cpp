// A bare Qt window of the main window's size and title that shows nothing:
// what start-up of the program is timed against.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Phone Dir"));
    // The main window's client area and menu bar at 96 dots per inch.
    window.setFixedSize(405, 376 + 20);
    window.show();
    return QApplication::exec();
}
