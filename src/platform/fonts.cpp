#include "platform/fonts.h"

#include "platform/io/strings.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

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

GraphicsFont build_font(FontFace face, const FontOptions& opts)
{
    // Pixel size: the largest whose line height fits the cell height.
    int pixels = 4;
    if (opts.height > 0) {
        for (int px = 4; px <= 200; ++px) {
            if (QFontMetrics(make_qfont(face, px, 100)).height() > opts.height) break;
            pixels = px;
        }
    } else {
        pixels = 12;
    }
    // Stretch: the one whose width comes closest to w (the first exact hit wins).
    int stretch = 100;
    if (opts.width > 0) {
        int best = std::abs(width_of(make_qfont(face, pixels, 100), face) - opts.width);
        for (int s = 50; s <= 200 && best > 0; ++s) {
            const int d = std::abs(width_of(make_qfont(face, pixels, s), face) - opts.width);
            if (d < best) {
                best = d;
                stretch = s;
            }
        }
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
