#include "views/qt/Screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.move(window.pos() + screen->availableGeometry().center() -
                    window.frameGeometry().center());
    }
}
