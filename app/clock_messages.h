// Texts the window and batch mode both show about the clock generator.
#pragma once

// A programming failed half-way and its undo could not be confirmed: the
// board may run at an FSB with another FSB's divider.
constexpr char kMixedSettingText[] =
    "The clock generator may hold a mixed setting: programming failed and the previous setting could not be "
    "restored. Save your work and restart the computer.";
