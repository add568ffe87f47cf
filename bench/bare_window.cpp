// A bare Qt window of the main window's size and title that shows nothing:
// what start-up of the program is timed against. With --controls it holds one
// of each kind of control the main window starts with (a caption, a text box
// with text in it, a menu bar), so the cost of Qt's first text and menu shows
// apart from the program's own.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Phone Dir"));
    // The main window's client area and menu bar at 96 dots per inch.
    window.setFixedSize(405, 376 + 20);
    if (QApplication::arguments().contains(QStringLiteral("--controls"))) {
        auto* bar = new QMenuBar(&window);
        bar->addMenu(QStringLiteral("&About"))->addAction(QStringLiteral("About"));
        bar->setGeometry(0, 0, 405, 20);
        auto* caption = new QLabel(QStringLiteral("NAME> Last, First"), &window);
        caption->setGeometry(12, 80, 105, 16);
        auto* box = new QLineEdit(QStringLiteral("Smith, John"), &window);
        box->setGeometry(10, 96, 279, 19);
    }
    window.show();
    return QApplication::exec();
}
