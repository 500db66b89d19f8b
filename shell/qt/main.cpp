#include "shell/Main.h"
#include "shell/qt/Program.h"

#include <QApplication>

namespace {

// The window until it closes. The window, then the application go when this returns: a
// clipboard manager takes over what Copy put on the clipboard before the program ends.
int RunQtWindow(int& argc, char* argv[], const platform::Services& services) {
    QApplication app(argc, argv);
    NameApplication();
    Program program(services);
    return program.Load() ? QApplication::exec() : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    return Main(argc, argv, RunQtWindow);
}
