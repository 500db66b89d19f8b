#include "platform/posix/QtShell.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

namespace platform::posix {

std::intptr_t QtShell::execute(Window, const std::string& operation, const std::string& file,
                               const std::string&, const std::string&, int) {
    constexpr std::intptr_t kOpened = 33;
    constexpr std::intptr_t kNotFound = 2;
    if (operation != "open") {
        return kNotFound;
    }
    const QUrl url = QUrl::fromUserInput(QString::fromLocal8Bit(file.c_str()));
    return url.isValid() && QDesktopServices::openUrl(url) ? kOpened : kNotFound;
}

int QtShell::setWindowTopmost(Window window, bool topmost) {
    QWidget* widget = QWidget::find(static_cast<WId>(window));
    if (widget == nullptr || !widget->isWindow()) {
        return 0;
    }
    const bool shown = widget->isVisible();
    const QPoint position = widget->pos();
    widget->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    // Changing the flag hides a shown window; it comes back where it was.
    if (shown) {
        widget->move(position);
        widget->show();
    }
    return 1;
}

} // namespace platform::posix
