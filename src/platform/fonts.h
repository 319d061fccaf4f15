#pragma once
// Graphics fonts: the two DejaVu faces laid next to the executable, selected by
// option strings such as "t'courier'h15w7" (face, cell height h, average width w).
#include <QFont>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace meru::platform {

// What an option string asks for. Letters other than t, h and w (b, f, p, v, e,
// u, i) are accepted and ignored. A missing h or w is -1.
struct FontOptions {
    std::string face; // as written, without quotes; empty when not given
    int height = -1;
    int width = -1;
};

// Parses an option string; nullopt when it is empty or malformed (an unclosed
// quote, a letter that is not an option, h or w without digits).
std::optional<FontOptions> parse_font_options(std::string_view options);
// The option string of a face, height and width, as parse_font_options reads it.
std::string font_options_text(const FontOptions& options);

// The two faces the program draws with.
enum class FontFace { mono = 0, sans = 1 };

// A font ready to draw with.
struct GraphicsFont {
    FontFace face = FontFace::mono;
    QFont font;
    int cell_height = 0; // line height in pixels
    int cell_width = 0;  // advance of every character (mono) or average width (sans)
    int ascent = 0;
    bool fixed_pitch = true;
};

// Registers DejaVuSansMono.ttf and DejaVuSans.ttf from `folder` with Qt. Repeated
// calls are cheap. Returns the number of faces available (2), or -1 when a face
// file is missing or cannot be loaded.
int initialize_fonts(const std::string& folder);

// The font for an option string: "courier" (any case) and the monospace names
// give DejaVu Sans Mono, "arial" and the sans names (or no face) DejaVu Sans. The
// pixel size is the largest whose line height fits h; the horizontal stretch is
// then fitted to w, so that "t'courier'h15w7" advances exactly 7 pixels a
// character. nullopt for an empty, malformed or unknown option string, or when
// the fonts are not registered.
std::optional<GraphicsFont> select_font(std::string_view options);

// The font of the dialogs: DejaVu Sans at 11 pixels, whose average character is
// about the 6 pixels (4 dialog units) that the dialog templates are laid out in.
QFont dialog_font();

} // namespace meru::platform
