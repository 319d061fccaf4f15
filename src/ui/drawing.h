#pragma once
// Small drawing and colour routines shared by the graphics windows: the dashed
// line, overstruck bold text, brightness shift and random colours, and the greying
// of the main menus around modal graphics windows. Colours are 0xBBGGRR.
#include "files/textutil.h"

#include <string_view>

namespace meru::io {
class RandomStream;
}

namespace meru::platform {
class Canvas;
class Menus;
} // namespace meru::platform

namespace meru::ui {

// a / b, or 0 when |b| <= 1e-20 (the one shared routine).
using files::safediv;

// A dashed line from the current position to (x, y): dashes of `dash` pixels
// starting every dash + gap pixels along the line, the last one cut at (x, y),
// where the current position ends. A period dash + gap below 1 draws a solid line.
void dashto(platform::Canvas& canvas, int x, int y, int dash, int gap);

// Draws `text` at the current position, then again 1 pixel to the right.
void boldtext(platform::Canvas& canvas, std::string_view text);

// Adds k to each of the three bytes of `colour`, each clamped to 0..255 (bits
// above the third byte raise the blue byte, which is then clamped).
int colshift(int colour, int k);

// A colour of six random hexadecimal digits (the first is blue's high digit):
// with t >= 1 each digit is above t, with t < 0 below -t, with t = 0 any. A
// digit is nint(15 u) of the stream's next number u, drawn again until it fits.
// Thresholds above 14 leave no digit and are taken as 14.
int randcol(io::RandomStream& random, int t);

// Greys the main menus 3 to 12 (a graphics window waits for the mouse) and gives
// them back the state they had before; pairs nest.
void menuoff(platform::Menus& menus);
void menuon(platform::Menus& menus);

// Greys the main menus 3 to 12 for its lifetime: menuoff once when made, menuon
// once when it ends, however the window's wait ends.
class MenusOff {
public:
    explicit MenusOff(platform::Menus& menus) : menus_(menus) { menuoff(menus_); }
    ~MenusOff() { menuon(menus_); }
    MenusOff(const MenusOff&) = delete;
    MenusOff& operator=(const MenusOff&) = delete;

private:
    platform::Menus& menus_;
};

} // namespace meru::ui
