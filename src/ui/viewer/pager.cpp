#include "ui/viewer/pager.h"

#include <algorithm>

namespace meru::ui::viewer {

long long Pager::read()
{
    if (p < total) return p++;
    p = total + 1;
    return -1;
}

void Pager::back_up(long long k)
{
    for (long long j = 0; j < k; ++j) {
        if (L <= total + 1) backspace();
        L = std::max(L - 1, 0LL);
    }
}

void Pager::back_records(long long k)
{
    for (long long j = 0; j < k; ++j) {
        backspace();
        L = std::max(L - 1, 0LL);
    }
}

Page next_page(Pager& pg, int h)
{
    Page page;
    page.rows.reserve(static_cast<std::size_t>(std::max(pg.n - 1, 0)));
    pg.at_end = false;
    for (int i = 1;;) {
        ++pg.L;
        const long long line = pg.read();
        if (line < 0 && !pg.at_end) {
            pg.s = i + 1;
            pg.at_end = true;
        }
        ++i;
        if (i == h && line >= 0) page.highlight = static_cast<int>(page.rows.size());
        page.rows.push_back(line);
        if (i >= pg.n) {
            if (!pg.at_end) pg.s = i;
            return page;
        }
    }
}

} // namespace meru::ui::viewer
