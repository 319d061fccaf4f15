// The fitted diagram as drawn: the rectangles' numbers stay readable (drawn
// after every outline, apart from each other and from the counts, clear of the
// other outlines where a corner allows) and the shading key ends at the values
// themselves.
#include "rectdiag/fitted_draw.h"

#include "platform/canvas.h"
#include "platform/fonts.h"
#include "rectdiag/diagram_settings.h"
#include "srdfit/layout.h"
#include "support/qt_application.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace meru;
using srdfit::Rect;

namespace {

constexpr Rect kFrame{130, 490, 50, 410};

// The bcw diagram of (6)(9)(18) as a fit drew it: rectangle 2 left of and
// rectangle 3 above rectangle 1's top left corner, a few pixels apart. Cells by
// the log of that run; mean malig 0 in the cell of none, 188/196 in all three.
struct BcwDiagram {
    std::vector<double> counts{373, 19, 33, 51, 16, 4, 7, 196};
    std::vector<double> means{0, 2 / 19.0, 2 / 33.0, 36 / 51.0, 4 / 16.0, 3 / 4.0, 6 / 7.0, 188 / 196.0};
    rectdiag::FittedDiagram diagram;
    BcwDiagram()
    {
        const std::vector<Rect> px{{153, 369, 103, 330}, {143, 393, 103, 312}, {147, 324, 86, 316}};
        std::vector<Rect> units;
        for (const Rect& r : px)
            units.push_back({(r.x1 - 130) / 360, (r.x2 - 130) / 360, (r.y1 - 50) / 360, (r.y2 - 50) / 360});
        diagram = rectdiag::fitted_diagram(counts, srdfit::layout_of({counts, 0}, units, "Random"));
    }
};

class FittedDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(platform::initialize_fonts(MERU_RUNTIME_DIR), 2);
        ASSERT_GE(canvas.set_font("t'arial'h12w7"), 0);
        canvas.set_journaling(true);
    }
    platform::Canvas canvas{900, 640};
};

bool meets(const Rect& a, const Rect& b) { return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2; }

// A side of `o` runs through `box` (edges included).
bool crossed(const Rect& box, const Rect& o)
{
    const auto through = [&](const Rect& side) {
        return side.x1 <= box.x2 && box.x1 <= side.x2 && side.y1 <= box.y2 && box.y1 <= side.y2;
    };
    return through({o.x1, o.x1, o.y1, o.y2}) || through({o.x2, o.x2, o.y1, o.y2}) ||
           through({o.x1, o.x2, o.y1, o.y1}) || through({o.x1, o.x2, o.y2, o.y2});
}

} // namespace

TEST_F(FittedDraw, NumbersComeLastApartFromEachOtherTheCountsAndTheOtherOutlines)
{
    const BcwDiagram bcw;
    const auto& colours = rectdiag::kDefaultColours;
    rectdiag::draw_fitted(canvas, {bcw.diagram, bcw.counts, bcw.means, colours, kFrame});
    const auto& j = canvas.journal();
    std::size_t last_outline = 0, first_number = j.size();
    std::vector<Rect> numbers(3), counts;
    for (std::size_t k = 0; k < j.size(); ++k) {
        const auto& call = j[k];
        const auto in_colours = std::find(colours.begin(), colours.begin() + 3, call.colour);
        if (call.op == "rectangle" && call.fill == platform::Fill::border && in_colours != colours.begin() + 3)
            last_outline = k;
        if (call.op != "text") continue;
        const Rect box{static_cast<double>(call.points[0].x()),
                       static_cast<double>(call.points[0].x() + canvas.text_width(call.text)),
                       static_cast<double>(call.points[0].y()), static_cast<double>(call.points[0].y() + 12)};
        if (in_colours != colours.begin() + 3 && call.text == std::to_string(in_colours - colours.begin() + 1)) {
            first_number = std::min(first_number, k);
            numbers[static_cast<std::size_t>(in_colours - colours.begin())] = box;
        } else {
            counts.push_back(box);
        }
    }
    EXPECT_LT(last_outline, first_number);
    const std::vector<Rect>& boxes = bcw.diagram.layout.boxes;
    for (std::size_t a = 0; a < 3; ++a) {
        const Rect r = rectdiag::in_pixels(boxes[a], kFrame);
        EXPECT_TRUE(numbers[a].x1 >= r.x1 && numbers[a].x2 <= r.x2 && numbers[a].y1 >= r.y1 && numbers[a].y2 <= r.y2)
            << "number " << a + 1 << " outside its rectangle";
        for (std::size_t b = 0; b < 3; ++b) {
            if (b == a) continue;
            EXPECT_FALSE(meets(numbers[a], numbers[b]) || crossed(numbers[a], rectdiag::in_pixels(boxes[b], kFrame)))
                << "number " << a + 1 << " meets number or outline " << b + 1;
        }
        for (const Rect& c : counts) EXPECT_FALSE(meets(numbers[a], c)) << "a count meets number " << a + 1;
    }
}

TEST_F(FittedDraw, TheShadingKeyEndsAtTheLowestAndHighestValues)
{
    // 188/196 - (188/196 - 0) * 5 / 5 is -1.1e-16 in doubles.
    const BcwDiagram bcw;
    rectdiag::draw_legend(canvas, rectdiag::shade_scale(bcw.counts, bcw.means), "Mean Y", 500, 100);
    std::vector<std::string> texts;
    for (const auto& call : canvas.journal())
        if (call.op == "text") texts.push_back(call.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Mean Y", "0.959", "0"}));
}
