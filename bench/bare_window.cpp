// An empty top-level window of the main window's client size: what any Qt Widgets program pays
// to put a window on the screen, the baseline of startup.sh.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setFixedSize(378, 396);
    window.show();
    return QApplication::exec();
}
