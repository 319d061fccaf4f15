#pragma once
// Colours in the program are 0xBBGGRR (red in the low byte). Every conversion to
// and from Qt's 0xAARRGGBB happens here and nowhere else.
#include <QRgb>

namespace meru {

// The plain colours every window draws with, as 0xBBGGRR.
inline constexpr int kWhite = 0xffffff;
inline constexpr int kBlack = 0x000000;
inline constexpr int kRed = 0x0000ff;
inline constexpr int kBlue = 0xff0000;
inline constexpr int kGrey = 0xaaaaaa;

} // namespace meru

namespace meru::platform {

inline QRgb to_qrgb(int bgr) { return qRgb(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff); }

inline int from_qrgb(QRgb c) { return qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16); }

// The 16 standard palette colours, 0 black ... 15 bright white, as 0xBBGGRR.
// An index outside 0..15 gives -1.
int palette_colour(int index);

} // namespace meru::platform
