#pragma once
// What the search loop shows while it runs: the progress window's texts (at
// most one every kProgressPaintMs by the program's clock), the search window
// (its row, the marks of the evaluated candidates, new scales), the event pumps
// and the Search:End request.
#include "plots/search_window.h"
#include "search/best_lists.h"
#include "search/search_loop.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace meru::mainloop {

struct Program;

// The search window's scale follows the search: a G above the top makes room for
// twice that G and three times its complexity, a complexity past the x axis's end
// up to that complexity + 3 (true when it changed) ...
bool widen_for(plots::WindowScale& scale, float g, int complexity);
// ... and between two iterations for the stored complexities and the winner's G.
void room_for_stored(plots::WindowScale& scale, std::span<const search::StoredPartition> stored, double g);

// The shortest time between two paintings of the search's progress text.
constexpr std::int64_t kProgressPaintMs = 100;

class SearchWindow : public search::SearchHost {
public:
    // `scale` is the search's: the window widens it as candidates come in.
    SearchWindow(Program& p, plots::WindowScale& scale, bool graphics) : p_(p), scale_(scale), graphics_(graphics) {}

    // Opens the search window and draws its axes under `caption` ("Searching",
    // the iteration, the serial Y, the by-group), graphics only; while a tree
    // grows, with "Display graphics while searching", the axes and the caption
    // alone.
    void open(const std::string& caption);

    void progress(std::string_view text) override;
    void yield() override;
    void wait_pump() override;
    bool search_end() override;
    void tell(Notices& told) override;
    void window_row(std::string_view text) override;
    void window_mark(int complexity, float g, char mark) override;

private:
    Program& p_;
    plots::WindowScale& scale_;
    bool graphics_ = false;
    bool open_ = false;
    std::string caption_;
    std::optional<std::int64_t> painted_ms_; // when the progress text was last painted
};

} // namespace meru::mainloop
