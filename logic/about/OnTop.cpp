#include "logic/about/OnTop.h"

namespace OnTop {

std::int32_t SetOnTop(platform::Shell& shell, platform::Shell::Window window, std::int16_t flag) {
    if (flag == kTrue) {
        return shell.setWindowTopmost(window, true);
    }
    shell.setWindowTopmost(window, false);
    return 0;
}

} // namespace OnTop
