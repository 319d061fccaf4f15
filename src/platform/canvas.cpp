#include "platform/canvas.h"

#include "platform/colour.h"

#include <QPainter>
#include <QPolygon>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace meru::platform {

namespace {

QRect box(int x1, int y1, int x2, int y2)
{
    return QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2)));
}

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Clips the segment a-b to `r` (Liang-Barsky); false when nothing is left.
bool clip_segment(QPointF& a, QPointF& b, const QRectF& r)
{
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    b = QPointF(a.x() + t1 * dx, a.y() + t1 * dy);
    a = QPointF(a.x() + t0 * dx, a.y() + t0 * dy);
    return true;
}

} // namespace

QPoint Canvas::phys(int x, int y) const
{
    static constexpr long long limit = 1LL << 28;
    auto held = [](long long v) { return static_cast<int>(std::clamp(v, -limit, limit)); };
    return QPoint(held(static_cast<long long>(origin_.x()) + x), held(static_cast<long long>(origin_.y()) + y));
}

Canvas::Canvas(int width, int height) : image_(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32)
{
    image_.fill(to_qrgb(0xffffff));
    clip_ = image_.rect();
}

bool Canvas::resize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width != image_.width() || height != image_.height()) {
        QImage bigger(width, height, QImage::Format_RGB32);
        if (bigger.isNull()) {
            status_ = gr_error;
            return false;
        }
        bigger.fill(to_qrgb(0xffffff));
        QPainter p(&bigger);
        p.drawImage(QPoint(0, 0), image_);
        p.end();
        image_ = std::move(bigger);
    }
    clip_ = image_.rect();
    origin_ = QPoint(0, 0);
    status_ = gr_ok;
    changed(image_.rect());
    return true;
}

void Canvas::clear(int bgr)
{
    image_.fill(to_qrgb(bgr));
    status_ = gr_ok;
    record({"clear", bgr, Fill::interior, {}, {}});
    changed(image_.rect());
}

void Canvas::set_viewport(int x1, int y1, int x2, int y2)
{
    clip_ = box(x1, y1, x2, y2);
    origin_ = clip_.topLeft();
    status_ = gr_ok;
}

QPoint Canvas::set_vieworg(int x, int y)
{
    const QPoint old = origin_;
    origin_ = QPoint(x, y);
    status_ = gr_ok;
    return old;
}

int Canvas::set_color_rgb(int bgr)
{
    const int old = colour_;
    colour_ = bgr & 0xffffff;
    palette_index_ = -1;
    status_ = gr_ok;
    return old;
}

int Canvas::set_color(int index)
{
    const int c = palette_colour(index);
    if (c < 0) {
        status_ = gr_error;
        return -1;
    }
    const int old = palette_index_;
    colour_ = c;
    palette_index_ = index;
    status_ = gr_ok;
    return old;
}

QPoint Canvas::moveto(int x, int y)
{
    const QPoint old = pos_;
    pos_ = QPoint(x, y);
    status_ = gr_ok;
    return old;
}

void Canvas::plot(int x, int y, QRgb c)
{
    if (clip_.contains(x, y) && image_.rect().contains(x, y)) image_.setPixel(x, y, c);
}

void Canvas::line_pixels(QPoint a, QPoint b)
{
    const QRect area = clip_ & image_.rect();
    if (area.isEmpty()) return;
    // Far-away end points are first cut to the clip, so the loop below stays
    // proportional to what can be seen.
    const long long far = 1 << 16;
    auto is_far = [&](QPoint p) { return std::llabs(p.x()) > far || std::llabs(p.y()) > far; };
    if (is_far(a) || is_far(b)) {
        QPointF fa(a), fb(b);
        if (!clip_segment(fa, fb, QRectF(area).adjusted(-1, -1, 1, 1))) return;
        a = fa.toPoint();
        b = fb.toPoint();
    }
    const QRgb c = to_qrgb(colour_);
    // Bresenham: every step sets one pixel, both end points included.
    long long x = a.x(), y = a.y();
    const long long dx = std::llabs(static_cast<long long>(b.x()) - x);
    const long long dy = -std::llabs(static_cast<long long>(b.y()) - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    long long err = dx + dy;
    for (;;) {
        plot(static_cast<int>(x), static_cast<int>(y), c);
        if (x == b.x() && y == b.y()) break;
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void Canvas::lineto(int x, int y)
{
    const QPoint a = phys(pos_.x(), pos_.y());
    const QPoint b = phys(x, y);
    line_pixels(a, b);
    pos_ = QPoint(x, y);
    status_ = gr_ok;
    record({"lineto", colour_, Fill::border, {a, b}, {}});
    changed(box(a.x(), a.y(), b.x(), b.y()));
}

void Canvas::rectangle(Fill fill, int x1, int y1, int x2, int y2)
{
    const QPoint a = phys(x1, y1), b = phys(x2, y2);
    const QRect r = box(a.x(), a.y(), b.x(), b.y());
    const QRect area = clip_ & image_.rect();
    const QRgb c = to_qrgb(colour_);
    if (fill == Fill::interior) {
        const QRect visible = r & area;
        if (!visible.isEmpty()) {
            QPainter p(&image_);
            p.fillRect(visible, QColor(c));
        }
    } else {
        // The four edges, each a 1-pixel wide filled strip.
        QPainter p(&image_);
        for (const QRect& edge :
             {QRect(r.left(), r.top(), r.width(), 1), QRect(r.left(), r.bottom(), r.width(), 1),
              QRect(r.left(), r.top(), 1, r.height()), QRect(r.right(), r.top(), 1, r.height())}) {
            const QRect visible = edge & area;
            if (!visible.isEmpty()) p.fillRect(visible, QColor(c));
        }
    }
    status_ = gr_ok;
    record({"rectangle", colour_, fill, {r.topLeft(), r.bottomRight()}, {}});
    changed(r);
}

void Canvas::prepare_shape(QPainter& p, Fill fill) const
{
    // A 1-pixel aliased pen in the current colour, and the same colour inside.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(clip_ & image_.rect());
    QPen pen{QColor(to_qrgb(colour_))};
    pen.setWidth(0);
    p.setPen(pen);
    if (fill == Fill::interior) p.setBrush(QColor(to_qrgb(colour_)));
}

void Canvas::ellipse(Fill fill, int x1, int y1, int x2, int y2)
{
    const QPoint a = phys(x1, y1), b = phys(x2, y2);
    const QRect r = box(a.x(), a.y(), b.x(), b.y());
    {
        QPainter p(&image_);
        prepare_shape(p, fill);
        // An aliased outline of a rectangle w x h covers w+1 x h+1 pixels.
        p.drawEllipse(QRect(r.left(), r.top(), r.width() - 1, r.height() - 1));
    }
    status_ = gr_ok;
    record({"ellipse", colour_, fill, {r.topLeft(), r.bottomRight()}, {}});
    changed(r);
}

void Canvas::polygon(Fill fill, const std::vector<QPoint>& points)
{
    if (points.empty()) {
        status_ = gr_error;
        return;
    }
    QPolygon poly;
    for (const QPoint& q : points) poly << phys(q.x(), q.y());
    {
        QPainter p(&image_);
        prepare_shape(p, fill);
        p.drawPolygon(poly);
    }
    status_ = gr_ok;
    record({"polygon", colour_, fill, std::vector<QPoint>(poly.begin(), poly.end()), {}});
    changed(poly.boundingRect());
}

int Canvas::get_pixel_rgb(int x, int y)
{
    const QPoint q = phys(x, y);
    if (!image_.rect().contains(q)) {
        status_ = gr_error;
        return -1;
    }
    status_ = gr_ok;
    return from_qrgb(image_.pixel(q));
}

long Canvas::image_size(int x1, int y1, int x2, int y2)
{
    const long w = std::labs(static_cast<long>(x2) - x1) + 1;
    const long h = std::labs(static_cast<long>(y2) - y1) + 1;
    return 4 * w * h;
}

Image Canvas::get_image(int x1, int y1, int x2, int y2)
{
    const QPoint a = phys(x1, y1), b = phys(x2, y2);
    Image saved{image_.copy(box(a.x(), a.y(), b.x(), b.y()))};
    status_ = saved.pixels.isNull() ? gr_error : gr_ok;
    return saved;
}

void Canvas::put_image(int x, int y, const Image& saved)
{
    if (saved.pixels.isNull()) {
        status_ = gr_error;
        return;
    }
    const QPoint at = phys(x, y);
    {
        QPainter p(&image_);
        p.setClipRect(clip_ & image_.rect());
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(at, saved.pixels);
    }
    status_ = gr_ok;
    const QRect r(at, saved.pixels.size());
    record({"put_image", colour_, Fill::interior, {r.topLeft(), r.bottomRight()}, {}});
    changed(r);
}

int Canvas::set_font(std::string_view options)
{
    const auto f = select_font(options);
    if (!f) {
        status_ = gr_font_error;
        return gr_font_error;
    }
    font_ = *f;
    has_font_ = true;
    status_ = gr_ok;
    return static_cast<int>(font_.face);
}

void Canvas::set_gtext_vector(int dx, int dy)
{
    if (dx == 0 && dy == 0) {
        status_ = gr_error;
        return;
    }
    dir_x_ = dx;
    dir_y_ = dy;
    status_ = gr_ok;
}

int Canvas::text_width(std::string_view text) const
{
    if (!has_font_) return 0;
    if (font_.fixed_pitch) return font_.cell_width * static_cast<int>(text.size());
    return QFontMetrics(font_.font).horizontalAdvance(latin1(text));
}

void Canvas::outgtext(std::string_view text)
{
    if (!has_font_) {
        status_ = gr_font_error;
        return;
    }
    const QString s = latin1(text);
    const int advance = text_width(text);
    const double angle = std::atan2(static_cast<double>(dir_y_), static_cast<double>(dir_x_));
    const QPoint start = phys(pos_.x(), pos_.y());
    QRect touched;
    {
        QPainter p(&image_);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setClipRect(clip_ & image_.rect());
        p.setFont(font_.font);
        p.setPen(QColor(to_qrgb(colour_)));
        p.translate(start);
        // Screen y points down, so a counter-clockwise turn is a negative angle.
        p.rotate(-angle * 180.0 / M_PI);
        const bool exact_pitch = QFontMetrics(font_.font).horizontalAdvance(QLatin1Char('0')) == font_.cell_width;
        if (font_.fixed_pitch && !exact_pitch) {
            // One character a cell, skipping blanks and cells outside the clip
            // (a long line is mostly outside a narrow window).
            const QRect area = clip_ & image_.rect();
            for (qsizetype i = 0; i < s.size(); ++i) {
                const int x = static_cast<int>(i) * font_.cell_width;
                if (s[i] == QLatin1Char(' ')) continue;
                if (!p.transform().mapRect(QRect(x, 0, font_.cell_width, font_.cell_height)).intersects(area))
                    continue;
                p.drawText(QPoint(x, font_.ascent), QString(s[i]));
            }
        } else {
            p.drawText(QPoint(0, font_.ascent), s);
        }
        touched = p.transform().mapRect(QRect(0, 0, std::max(advance, 1), font_.cell_height));
    }
    pos_ += QPoint(static_cast<int>(std::lround(advance * std::cos(angle))),
                   -static_cast<int>(std::lround(advance * std::sin(angle))));
    status_ = gr_ok;
    record({"text", colour_, Fill::border, {start}, std::string(text)});
    changed(touched.adjusted(-1, -1, 1, 1));
}

void Canvas::changed(const QRect& r)
{
    if (on_change_) on_change_(r.adjusted(0, 0, 1, 1) & image_.rect());
}

void Canvas::record(DrawCall call)
{
    if (journaling_) journal_.push_back(std::move(call));
}

} // namespace meru::platform
