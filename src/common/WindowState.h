#pragma once

namespace lirondo {

// The main window's state as the program counts it; `LastState` keeps the last one
// other than minimized.
enum class WindowState
{
    Normal,
    Minimized,
    Maximized
};

} // namespace lirondo
