#pragma once
// The scatter plot offscreen: an example data set, its dialogs answered from
// queues, recording services, and clicks fed to the window's mouse waits under
// the fake clock (once the clicks are used up every wait gets Esc).
#include "outcome/scatter.h"
#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/window.h"
#include "ui/bring_to_front.h"
#include "ui/ui_fixture.h"
#include "ymenu_fixture.h"

#include <functional>

namespace meru::test {

class ScriptedScatterDialogs : public outcome::ScatterDialogs {
public:
    struct Pick {
        int id = outcome::kOk;
        int y = 0, x = 0;
    };
    std::deque<Pick> picks;
    std::deque<std::function<int(outcome::ZView&)>> z_steps;
    std::vector<outcome::ZView> z_seen;
    int scatter_shown = 0;

    int scatter(const std::vector<std::string>&, int& y, int& x) override
    {
        ++scatter_shown;
        if (picks.empty()) return outcome::kCancel;
        const Pick p = picks.front();
        picks.pop_front();
        y = p.y;
        x = p.x;
        return p.id;
    }
    int third(outcome::ZView& v) override
    {
        z_seen.push_back(v);
        if (z_steps.empty()) return outcome::kCancel;
        auto step = z_steps.front();
        z_steps.pop_front();
        return step(v);
    }
};

// A Z-dialog step that ticks the boxes, highlights items and closes.
inline std::function<int(outcome::ZView&)> z_step(bool rotate, bool size, bool distinguish, int variable,
                                                  int attribute, int closing = outcome::kOk)
{
    return [=](outcome::ZView& v) {
        v.rotate = rotate;
        v.size = size;
        v.distinguish = distinguish;
        v.variable = variable;
        v.attribute = attribute;
        return closing;
    };
}

struct Click {
    int x = 0, y = 0;
};
// Bar button b (from 1) at its middle.
inline Click button(int b) { return {45 * b - 22, 5}; }

class ScatterTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        frame.set_journaling(true);
    }
    void TearDown() override
    {
        platform::set_wait_hook(previous_);
        platform::set_clock(nullptr);
        UiTest::TearDown();
    }

    void open(const std::string& stem, const std::string& datafile = {})
    {
        const std::string data = datafile.empty() ? stem + ".csv" : datafile;
        std::string cf = read_text(std::string(MERU_EXAMPLES_DIR) + "/" + stem + ".mrc");
        cf.replace(cf.find(data), data.size(), "DATA");
        run = run_data(cf, read_text(std::string(MERU_EXAMPLES_DIR) + "/" + data), data);
        ASSERT_GT(run->r.nread, 0);
        mask.assign(static_cast<std::size_t>(run->d.n), 1);
    }

    // A data set made of the given columns (variables 1, 2, ...), weights 1.
    void open_columns(const std::vector<std::string>& names, const std::vector<std::vector<float>>& columns)
    {
        run = std::make_unique<DataRun>();
        run->t.vars.varname.assign(1, "");
        for (const auto& n : names) run->t.vars.varname.push_back(n);
        run->t.vars.nvar = static_cast<int>(names.size());
        const int n = static_cast<int>(columns.front().size());
        files::allocate_data(run->d, n, run->t.vars.nvar, 1);
        for (int i = 1; i <= n; ++i) {
            for (std::size_t j = 0; j < columns.size(); ++j)
                run->d.x(i, static_cast<int>(j) + 1) = columns[j][static_cast<std::size_t>(i - 1)];
            run->d.obswt[static_cast<std::size_t>(i - 1)] = 1;
        }
        run->r.nread = n;
        run->r.marks.charflag.assign(names.size() + 1, 0);
        mask.assign(static_cast<std::size_t>(n), 1);
    }

    // Runs the scatter mode; `next` gives the click of each mouse wait (its
    // number from 0), or the queue `clicks` when it is empty.
    bool plot(std::deque<Click> clicks = {})
    {
        queue = std::move(clicks);
        outcome::ScatterContext cx{
            ctx, sv,      dialogs, run->t, run->d, run->r.nread, mask,     run->r.marks.charflag,
            y,   msgline, attset,  bymode, group,  bylabel,      rotate3d, 0.0};
        const bool abandoned = plot_with([&] { return outcome::scatter(cx); });
        xmean = cx.xmean;
        return abandoned;
    }

    // Runs `body` with the clicks fed to the scatter window's mouse waits.
    bool plot_with(const std::function<bool()>& body)
    {
        platform::set_clock(&clock);
        previous_ = platform::set_wait_hook([this](platform::WaitPoint point, int) {
            if (point != platform::WaitPoint::mouse) return;
            auto* w = frame.window(ui::kScatterWindow);
            if (!w) return;
            Click c = button(1);
            if (next) {
                if (auto got = next(waits)) c = *got;
            } else if (!queue.empty()) {
                c = queue.front();
                queue.pop_front();
            } else {
                ++overrun;
            }
            ++waits;
            w->mouse_event(platform::mouse_left_down, platform::mouse_ks_left, c.x, c.y);
            w->mouse_event(platform::mouse_left_up, 0, c.x, c.y);
        });
        const bool result = body();
        platform::set_wait_hook(previous_);
        platform::set_clock(nullptr);
        previous_ = {};
        return result;
    }

    platform::Canvas& canvas() { return *frame.canvas(ui::kScatterWindow); }
    std::vector<platform::DrawCall> calls(const std::string& op, int colour = -1)
    {
        std::vector<platform::DrawCall> out;
        for (const auto& c : canvas().journal())
            if (c.op == op && (colour < 0 || c.colour == colour)) out.push_back(c);
        return out;
    }
    bool drew_text(const std::string& t)
    {
        for (const auto& c : calls("text"))
            if (c.text == t) return true;
        return false;
    }
    bool logged(const std::string& line)
    {
        const auto lines = log_lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    int count(const std::string& call) const
    {
        return static_cast<int>(std::count(sv.calls.begin(), sv.calls.end(), call));
    }
    void expect_menus_as_before()
    {
        EXPECT_EQ(menus.off_depth(), 0);
        for (int m = 3; m <= 12; ++m) EXPECT_TRUE(menus.usable(m, 1)) << m;
    }
    int var(const std::string& name) const { return run->var(name); }

    std::unique_ptr<DataRun> run;
    std::vector<char> mask;
    RecordingServices sv;
    ScriptedScatterDialogs dialogs;
    outcome::Outcome y;
    std::string msgline;
    std::vector<int> attset;
    bool bymode = false;
    std::vector<char> group;
    std::string bylabel;
    std::vector<outcome::RotateRequest> rotations;
    std::function<void(const outcome::RotateRequest&)> rotate3d = [this](const outcome::RotateRequest& r) {
        rotations.push_back(r);
    };
    double xmean = 0;
    std::deque<Click> queue;
    std::function<std::optional<Click>(int)> next;
    int waits = 0;
    int overrun = 0;

private:
    platform::FakeClock clock;
    platform::WaitHook previous_;
};

} // namespace meru::test
