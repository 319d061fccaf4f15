#include "platform/colour.h"

#include <array>

namespace meru::platform {

int palette_colour(int index)
{
    // 0xBBGGRR: black, blue, green, cyan, red, magenta, brown, white (light grey),
    // grey, light blue, light green, light cyan, light red, light magenta, yellow,
    // bright white.
    static constexpr std::array<int, 16> table = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
        0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff,
    };
    if (index < 0 || index >= static_cast<int>(table.size())) return -1;
    return table[static_cast<std::size_t>(index)];
}

} // namespace meru::platform
