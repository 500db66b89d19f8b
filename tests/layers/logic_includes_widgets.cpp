// Does not compile: logic has no windows.
#include <QWidget>
