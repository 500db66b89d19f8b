#pragma once

#include "platform/Shell.h"

#include <cstdint>

// Keeps a window above all ordinary windows.
namespace OnTop {

inline constexpr std::int16_t kTrue = -1;

// With the flag true (-1) the window stays on top and the result tells whether that worked;
// any other flag returns it to the ordinary order and gives 0.
std::int32_t SetOnTop(platform::Shell& shell, platform::Shell::Window window, std::int16_t flag);

} // namespace OnTop
