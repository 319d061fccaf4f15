#pragma once
// The rectangle-diagram settings read by the diagram window, with their start
// values, and its colour table (colours 0xBBGGRR): the six current colours
// start as copies of the six default colours.
#include <array>
#include <string>

namespace meru::rectdiag {

constexpr std::array<int, 6> kDefaultColours{0x0000ff, 0x00c000, 0xff0000, 0x00c0c0, 0xc0c000, 0xc000c0};

struct DiagramSettings {
    std::string mode = "Random"; // 12 characters at most
    double value1 = 0.025;
    double value2 = 1.0;
    std::array<int, 6> colours = kDefaultColours;
    std::array<int, 6> defaults = kDefaultColours;
};

} // namespace meru::rectdiag
