// The window resizer: keeps a window's controls placed when its size changes, each by a position strategy and a
// size strategy, measured from the design of the window's description.
#pragma once

#ifdef _WIN32

#include "runtime/window.h"

#include <vector>

namespace rt {

namespace resize {
// Application strategies.
constexpr int scale = 1;  // every control's position and size scale with the window
constexpr int spread = 2; // each kind of control keeps its default rule (see Resizer::default_strategy)

// Position strategy: the low byte for x, the high byte for y (the same bits, shifted by y_shift); 0 in a byte
// scales that coordinate.
constexpr unsigned keep_x = 0x01, right = 0x02, left = 0x04, centre_x = 0x08, nearest_x = 0x10;
constexpr unsigned y_shift = 8;
constexpr unsigned keep_y = keep_x << y_shift, bottom = right << y_shift, top = left << y_shift,
                   centre_y = centre_x << y_shift, nearest_y = nearest_x << y_shift;
constexpr unsigned axis_bits = 0xFF; // one axis's byte

// Size strategy bits; a dimension with neither of its bits scales with the window.
constexpr unsigned keep_width = 1, keep_height = 2;
constexpr unsigned follow_right = 4;  // keeps the distance of the right edge to the window's right
constexpr unsigned follow_bottom = 8; // keeps the distance of the bottom edge to the window's bottom
} // namespace resize

class Resizer {
public:
    // Binds the resizer to the window as it is described: the strategy, and whether the design size is the
    // smallest and the largest size the user may give the window. Forgets earlier set_strategy() calls.
    void init(Window& window, int app_strategy, bool min_size, bool max_size);
    // A control's own rule instead of the default of the application strategy.
    void set_strategy(Id control, unsigned position, unsigned size);
    // Moves and sizes every control for the window's client size now.
    void resize();

    // The rule a control of this kind follows under the spread strategy. A control held by a group or group box
    // of fixed size (its parent, or the innermost group box before it whose frame encloses it) follows the group
    // instead, keeping its place in it and its size, unless it has a rule of its own.
    static void default_strategy(Kind kind, unsigned& position, unsigned& size);

private:
    struct Rule {
        bool own = false;
        unsigned position = 0, size = 0;
    };
    Rule rule_of(std::size_t index) const;  // the control's own rule, or its default
    int holder_of(std::size_t index) const; // the group or group box that holds it, or -1
    Window* window_ = nullptr;
    int strategy_ = resize::spread;
    std::vector<Rule> rules_; // by the controls' places
};

// One control's rectangle (pixels) for a client size of w x h, placed by the rule from its design rectangle in a
// design client of w0 x h0. Pure arithmetic, apart for tests.
RECT place(const RECT& design, int w0, int h0, int w, int h, unsigned position, unsigned size);

} // namespace rt

#endif
