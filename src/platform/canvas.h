#pragma once
// A graphics window's retained canvas: an RGB32 image drawn at 1:1 with the
// window's own graphics state (colour, current position, viewport clip and
// origin, font, text direction). Antialiasing is off, so every colour drawn can
// be read back exactly. Coordinates of the drawing calls are viewport
// coordinates: physical = origin + (x, y); everything is clipped to the viewport.
#include "platform/fonts.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace meru::platform {

// How a shape is drawn: its border only, or filled (interior and border).
enum class Fill { border = 2, interior = 3 };

// Status of the last graphics call.
constexpr int gr_ok = 0;
constexpr int gr_error = -1;      // bad argument (unknown palette index, empty image ...)
constexpr int gr_font_error = -2; // no usable font

// One entry of the journal of draw calls (for tests).
struct DrawCall {
    std::string op; // "clear", "lineto", "rectangle", "ellipse", "polygon", "text", "put_image"
    int colour = 0; // 0xBBGGRR
    Fill fill = Fill::border;
    std::vector<QPoint> points; // physical pixels
    std::string text;           // for "text"
};

// A saved rectangle of pixels.
struct Image {
    QImage pixels;
};

class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    const QImage& image() const { return image_; }

    // New size; the pixels kept stay at the top left and new area is white. The
    // viewport becomes the whole canvas with origin (0,0). False (and nothing
    // changes) when an image that large cannot be had.
    bool resize(int width, int height);
    // Fills the whole canvas with `bgr`.
    void clear(int bgr);

    // Clip to the physical rectangle (inclusive, any corner order) and put the
    // origin at its top-left corner.
    void set_viewport(int x1, int y1, int x2, int y2);
    // Viewport point (0,0) becomes physical (x,y); the clip is unchanged.
    // Returns the previous origin.
    QPoint set_vieworg(int x, int y);
    QPoint vieworg() const { return origin_; }
    QRect clip() const { return clip_; }

    // Current colour as 0xBBGGRR (24 bits used); returns the previous colour.
    int set_color_rgb(int bgr);
    int color_rgb() const { return colour_; }
    // Current colour from the 16-colour palette; returns the previous palette
    // index (-1 when the previous colour was set by value), or -1 and leaves the
    // colour unchanged when `index` is not 0..15.
    int set_color(int index);

    // Current position (viewport coordinates); moveto returns the previous one.
    QPoint moveto(int x, int y);
    QPoint current_position() const { return pos_; }
    // A 1-pixel line from the current position to (x,y), both end points
    // included; the current position becomes (x,y).
    void lineto(int x, int y);
    // Corners inclusive, in any order; a zero-extent rectangle is one pixel.
    void rectangle(Fill fill, int x1, int y1, int x2, int y2);
    // The ellipse inscribed in the inclusive box.
    void ellipse(Fill fill, int x1, int y1, int x2, int y2);
    void polygon(Fill fill, const std::vector<QPoint>& points);

    // Colour 0xBBGGRR of the pixel at viewport point (x,y); -1 outside the canvas.
    int get_pixel_rgb(int x, int y);

    // Saving and restoring a rectangle of pixels (viewport corners inclusive).
    static long image_size(int x1, int y1, int x2, int y2);
    Image get_image(int x1, int y1, int x2, int y2);
    // Puts the saved pixels back exactly with their top-left at (x,y), clipped.
    void put_image(int x, int y, const Image& image);

    // Selects the font by an option string (see fonts.h). Returns the face index
    // (>= 0) or a negative value, in which case the previous font stays.
    int set_font(std::string_view options);
    const GraphicsFont* font() const { return has_font_ ? &font_ : nullptr; }
    // Text direction: (1,0) horizontal, (0,1) turned 90 degrees counter-clockwise
    // (reading bottom to top); any other vector turns the text by its angle.
    void set_gtext_vector(int dx, int dy);
    // Draws `text` (Latin-1) in the current font and colour on a transparent
    // background. The top-left of the first character cell is at the current
    // position; the current position moves on by the text's advance along the
    // text direction.
    void outgtext(std::string_view text);
    // Advance of `text` in the current font (0 without a font).
    int text_width(std::string_view text) const;

    // Status of the last call (gr_ok, or a negative gr_... code).
    int status() const { return status_; }

    // The journal of draw calls, kept only while enabled.
    void set_journaling(bool on) { journaling_ = on; }
    const std::vector<DrawCall>& journal() const { return journal_; }
    void clear_journal() { journal_.clear(); }

    // Told the physical rectangle that changed after every drawing call.
    void set_change_listener(std::function<void(const QRect&)> listener) { on_change_ = std::move(listener); }

private:
    // Viewport to physical coordinates, held within +-2^28 so that no sum or
    // extent overflows; everything that far out is clipped anyway.
    QPoint phys(int x, int y) const;
    void plot(int x, int y, QRgb c);
    void line_pixels(QPoint a, QPoint b);
    void prepare_shape(QPainter& p, Fill fill) const;
    void changed(const QRect& r);
    void record(DrawCall call);

    QImage image_;
    int colour_ = 0x000000;
    int palette_index_ = 0;
    QPoint pos_{0, 0};
    QPoint origin_{0, 0};
    QRect clip_;
    GraphicsFont font_;
    bool has_font_ = false;
    int dir_x_ = 1, dir_y_ = 0;
    int status_ = gr_ok;
    bool journaling_ = false;
    std::vector<DrawCall> journal_;
    std::function<void(const QRect&)> on_change_;
};

} // namespace meru::platform
