#pragma once
// The complexity hull drawn in the search window: the best list as grey symbols,
// the hull through the curve window with its red point and penalty line, and the
// red point's partition in the Partition window.
#include "plots/hullplot.h"
#include "plots/plotwin.h"

#include <functional>

namespace meru::io {
class RandomStream;
}
namespace meru::ui {
struct Context;
}

namespace meru::plots {

constexpr int kHullGrey = 0x666666;

// Shows a best-list entry and its complement under a caption (null: the caption alone).
using ShowEntry = std::function<void(const search::StoredPartition* entry, const std::string& caption)>;
// The curve window; tests put a fake in its place.
using CurveFn = std::function<void(ui::Context&, CurveWindow&)>;

class SearchHullView : public HullView {
public:
    SearchHullView(ui::Context& ctx, io::RandomStream& random, ShowEntry show, CurveFn curve = plotwin);

    void begin() override;
    void show_partition(const search::StoredPartition* entry, const std::string& caption) override;
    HullAnswer draw(const HullDrawing& d) override;
    void end() override;
    void msgbox(const std::string& text) override;
    void note(const std::string& text) override;

private:
    ui::Context& ctx_;
    io::RandomStream& random_;
    ShowEntry show_;
    CurveFn curve_;
    CurveWindow window_; // kept across a click and the next drawing (it holds the menus)
    std::vector<double> x_, y_;
};

} // namespace meru::plots
