#include "ui/drawing.h"

#include "platform/canvas.h"
#include "platform/io/random.h"
#include "platform/menus.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace meru::ui {

void dashto(platform::Canvas& canvas, int x, int y, int dash, int gap)
{
    const QPoint from = canvas.current_position();
    const int dx = x - from.x(), dy = y - from.y();
    if (dx == 0 && dy == 0) return;
    const long long period = static_cast<long long>(dash) + gap;
    if (period < 1) {
        canvas.lineto(x, y);
        return;
    }
    double ux = 0, uy = 0, length = 0;
    if (dx == 0) {
        uy = dy >= 0 ? 1 : -1;
        length = std::abs(dy);
    } else if (dy == 0) {
        ux = dx >= 0 ? 1 : -1;
        length = std::abs(dx);
    } else {
        length = std::sqrt(double(dx) * dx + double(dy) * dy);
        ux = dx / length;
        uy = dy / length;
    }
    for (long long k = 0;; ++k) {
        const double at = double(k) * double(period);
        if (at > length) {
            canvas.moveto(x, y);
            return;
        }
        const int sx = from.x() + static_cast<int>(at * ux);
        const int sy = from.y() + static_cast<int>(at * uy);
        canvas.moveto(sx, sy);
        if (at + dash > length) {
            canvas.lineto(x, y);
            canvas.moveto(x, y);
            return;
        }
        canvas.lineto(sx + static_cast<int>(ux * dash), sy + static_cast<int>(uy * dash));
    }
}

void boldtext(platform::Canvas& canvas, std::string_view text)
{
    const QPoint at = canvas.current_position();
    canvas.outgtext(text);
    canvas.moveto(at.x() + 1, at.y());
    canvas.outgtext(text);
}

int colshift(int colour, int k)
{
    auto shift = [k](int byte) { return std::clamp(byte + k, 0, 255); };
    const int high = shift(colour / 65536);
    const int middle = shift((colour / 256) % 256);
    const int low = shift(colour % 256);
    return high * 65536 + middle * 256 + low;
}

int randcol(io::RandomStream& random, int t)
{
    t = std::min(t, 14);
    int colour = 0;
    for (int position = 0; position < 6; ++position) {
        int d = 0;
        for (;;) {
            d = static_cast<int>(std::lround(15.0 * random.next()));
            if (t >= 1 ? d > t : (t < 0 ? d < -t : true)) break;
        }
        colour = colour * 16 + d;
    }
    return colour;
}

void menuoff(platform::Menus& menus) { menus.menu_off(); }
void menuon(platform::Menus& menus) { menus.menu_on(); }

} // namespace meru::ui
