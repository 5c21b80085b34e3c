#pragma once
#include <cstdint>

namespace tess {

// Interaction state of a Command button.
enum class ButtonState : std::uint8_t {
    StateNone = 0,            // created, Initialize not yet called
    StateNormal = 1,          // idle: not hovered, not focused
    StateHighLight = 2,       // mouse over the button, no keyboard focus
    StateSelected = 3,        // keyboard focus, mouse elsewhere
    StateHighLightSelect = 4, // keyboard focus and mouse over the button
};

} // namespace tess
