#include "platform/fonts.h"

#include "platform/io/strings.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <ranges>

namespace meru::platform {

namespace {

const char* const mono_family = "DejaVu Sans Mono";
const char* const sans_family = "DejaVu Sans";

struct FontRegistry {
    QString folder;
    int count = -1;
    std::map<std::string, GraphicsFont> cache; // by option string
};

FontRegistry& registry()
{
    static FontRegistry r;
    return r;
}

using io::lower;

std::optional<FontFace> face_of(const std::string& face)
{
    const std::string f = lower(face);
    if (f.empty() || f == "arial" || f == "helvetica" || f == "sans" || f == "dejavu sans") return FontFace::sans;
    if (f == "courier" || f == "courier new" || f == "mono" || f == "monospace" || f == "dejavu sans mono")
        return FontFace::mono;
    return std::nullopt;
}

QFont make_qfont(FontFace face, int pixels, int stretch)
{
    QFont f(face == FontFace::mono ? mono_family : sans_family);
    f.setPixelSize(pixels);
    f.setStretch(stretch);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias | QFont::NoFontMerging));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    return f;
}

int width_of(const QFont& f, FontFace face)
{
    const QFontMetrics m(f);
    return face == FontFace::mono ? m.horizontalAdvance(QLatin1Char('0')) : m.averageCharWidth();
}

// The first whole number in from..to at which `below` fails (to + 1 when it
// never does), `below` holding on a leading run of the range: found by
// bisection, as each number tried is a font looked up.
template <class Below> int first_not(int from, int to, Below below)
{
    const auto range = std::views::iota(from, to + 1);
    return from + static_cast<int>(std::ranges::partition_point(range, below) - range.begin());
}

GraphicsFont build_font(FontFace face, const FontOptions& opts)
{
    // Pixel size: the largest whose line height fits the cell height.
    int pixels = 12;
    if (opts.height > 0) {
        const auto fits = [&](int px) { return QFontMetrics(make_qfont(face, px, 100)).height() <= opts.height; };
        pixels = std::max(4, first_not(4, 200, fits) - 1);
    }
    // Stretch: the one whose width comes closest to w (100 when it does, else
    // the narrowest that does). Widths grow with the stretch.
    int stretch = 100;
    if (opts.width > 0) {
        std::map<int, int> widths;
        const auto width = [&](int s) {
            const auto [it, fresh] = widths.try_emplace(s, 0);
            if (fresh) it->second = width_of(make_qfont(face, pixels, s), face);
            return it->second;
        };
        const auto miss = [&](int s) { return std::abs(width(s) - opts.width); };
        const auto first_as_wide = [&](int w, int to) { return first_not(50, to, [&](int s) { return width(s) < w; }); };
        // The narrowest stretch as wide as w, or the narrowest as wide as the
        // widest below w when that comes closer.
        const int above = first_as_wide(opts.width, 200);
        int best = above;
        if (above > 50 && (above > 200 || miss(above - 1) <= miss(above)))
            best = first_as_wide(width(above - 1), above - 1);
        if (miss(best) < miss(100)) stretch = best;
    }
    GraphicsFont g;
    g.face = face;
    g.font = make_qfont(face, pixels, stretch);
    const QFontMetrics m(g.font);
    g.cell_height = m.height();
    g.ascent = m.ascent();
    g.fixed_pitch = face == FontFace::mono;
    // A monospace face is drawn one character a cell at exactly the requested width.
    g.cell_width = g.fixed_pitch && opts.width > 0 ? opts.width : width_of(g.font, face);
    return g;
}

bool is_option_letter(char c) { return std::string_view("thwbfpveui").find(c) != std::string_view::npos; }

} // namespace

std::string font_options_text(const FontOptions& o)
{
    return "t'" + o.face + "'h" + std::to_string(o.height) + "w" + std::to_string(o.width);
}

std::optional<FontOptions> parse_font_options(std::string_view s)
{
    FontOptions opts;
    bool any = false;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
        if (c == ' ') {
            ++i;
            continue;
        }
        if (!is_option_letter(c)) return std::nullopt;
        ++i;
        any = true;
        if (c == 't') {
            if (i >= s.size() || s[i] != '\'') return std::nullopt;
            const std::size_t end = s.find('\'', i + 1);
            if (end == std::string_view::npos) return std::nullopt;
            opts.face = std::string(s.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == 'h' || c == 'w') {
            std::size_t j = i;
            int value = 0;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])) && j - i < 6)
                value = value * 10 + (s[j++] - '0');
            if (j == i) return std::nullopt;
            (c == 'h' ? opts.height : opts.width) = value;
            i = j;
        }
    }
    if (!any) return std::nullopt;
    return opts;
}

int initialize_fonts(const std::string& folder_name)
{
    const QString folder = QString::fromStdString(folder_name);
    FontRegistry& r = registry();
    if (r.count > 0 && r.folder == folder) return r.count;
    int loaded = 0;
    for (const char* file : {"DejaVuSansMono.ttf", "DejaVuSans.ttf"}) {
        if (QFontDatabase::addApplicationFont(QDir(folder).filePath(QString::fromLatin1(file))) >= 0) ++loaded;
    }
    if (loaded != 2) return -1;
    r.folder = folder;
    r.count = loaded;
    r.cache.clear();
    return r.count;
}

QFont dialog_font()
{
    QFont f(sans_family);
    f.setPixelSize(11);
    return f;
}

std::optional<GraphicsFont> select_font(std::string_view options)
{
    FontRegistry& r = registry();
    if (r.count <= 0) return std::nullopt;
    const std::string key(options);
    if (auto it = r.cache.find(key); it != r.cache.end()) return it->second;
    const auto opts = parse_font_options(options);
    if (!opts) return std::nullopt;
    const auto face = face_of(opts->face);
    if (!face) return std::nullopt;
    GraphicsFont g = build_font(*face, *opts);
    r.cache.emplace(key, g);
    return g;
}

} // namespace meru::platform
