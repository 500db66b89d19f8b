#include "app/Program.h"
#include "platform/Services.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    NameApplication();
    const platform::NativeServices native;
    Program program(native.services());
    return EndProgram(program.window().Load() ? QApplication::exec() : 0);
}
