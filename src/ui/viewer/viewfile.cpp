#include "ui/viewer/viewfile.h"

#include "files/textutil.h"
#include "platform/dialogs.h"
#include "platform/frame.h"
#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "platform/script.h"
#include "ui/context.h"
#include "ui/drawing.h"
#include "ui/listsel.h"
#include "ui/messages.h"
#include "ui/mouse_state.h"
#include "ui/opendlg.h"
#include "ui/textrow.h"
#include "ui/thinking.h"
#include "ui/viewer/keys.h"
#include "ui/viewer/session.h"
#include "ui/winmenu.h"

#include <optional>

namespace meru::ui::viewer {

namespace {

// Units a chosen file's extension selects: the log's, the data's and the
// control file's behaviour.
constexpr int kLogLike = 7;
constexpr int kDataLike = 2;
constexpr int kControlLike = 1;

constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 630;
constexpr int kPollMs = 100;
// Clicks above this y are on the button bar.
constexpr int kBarZone = 30;
constexpr int kInactiveBack = 0xcccccb;
constexpr std::size_t kTitleChars = 60;
constexpr std::size_t kMenuChars = 39;
constexpr std::size_t kFolderChars = 30;

// The buttons of the bar, numbered from 0 (x div 45).
enum Button {
    esc,
    page_down,
    page_up,
    line_down,
    line_up,
    top,
    end,
    find,
    begin,
    right,
    left,
    goto_or_help,
    help,
};

std::string filters(int unit)
{
    using namespace std::string_literals;
    switch (unit) {
    case kLogFile: return ".LOG files\0*.log\0\0"s;
    case kControlFile: return ".MRC files\0*.mrc\0\0"s;
    case kDataFile: return "Data files\0*.dat\0\0"s;
    default: return ".MRC files\0*.mrc\0.LOG files\0*.log\0.DAT files\0*.dat\0All files\0*.*\0\0"s;
    }
}

// The behaviour a chosen file's extension selects.
int unit_for_extension(const std::string& path, int unit)
{
    const std::string ext = io::split_path(path).extension.substr(0, 4);
    if (ext == ".log" || ext == ".LOG") return kLogLike;
    if (ext == ".dat" || ext == ".DAT") return kDataLike;
    if (ext == ".mrc" || ext == ".MRC") return kControlLike;
    return unit;
}

bool run_ended(const Context& ctx) { return ctx.host.script && ctx.host.script->ended(); }

// One viewing: the window, its session, and the input loop.
class Viewer {
public:
    Viewer(Context& ctx, Selections& selections, ViewerState& state, ViewRequest& rq, int unit, std::string name,
           LineIndex& index)
        : ctx_(ctx), selections_(selections), state_(state), rq_(rq), unit_(unit), window_(unit + kWindowOffset),
          name_(std::move(name)), index_(index),
          session_(
              index, {unit == kDataFile ? 44 : 45, unit == kLogLike, rq.search_at_open}, ctx.textcol1,
              [this](const Page& page) { draw(page); }, [this] { not_found(); })
    {
        style_ = unit == kDataFile ? rq.data : PageStyle{};
        style_.log = unit == kLogLike;
        style_.data = unit == kDataFile;
    }

    void run()
    {
        open_window();
        session_.open(rq_.search_text ? *rq_.search_text : std::string());
        input_setup();
        loop();
    }

private:
    void open_window()
    {
        platform::Frame& frame = ctx_.frame;
        frame.open_window(window_, "View " + name_.substr(0, std::min(name_.size(), kTitleChars)));
        platform::WindowConfig config;
        config.numxpixels = kWindowWidth;
        config.numypixels = kWindowHeight;
        frame.set_window_config(window_, config);
        frame.set_window_size(window_, {platform::SizeState::restored});
        frame.set_active(window_);
    }

    void draw(const Page& page)
    {
        ctx_.frame.set_active(window_);
        viewpage(ctx_, index_, style_, page);
    }

    void not_found()
    {
        std::string text = "Location or string not found ! (NB case sensitive)$";
        msgbox(ctx_, text, BoxKind::Ok, false);
    }

    // After every search or first page: the prompt, the bar, the mouse and the
    // keys; the menus grey from the first set-up until the viewer is left.
    void input_setup()
    {
        const std::string prompt = "expecting input in View " + name_;
        thinking(ctx_, prompt, true);
        if (ctx_.host.script) ctx_.host.script->echo("progress: " + prompt);
        ctx_.frame.set_active(window_);
        buttonbar(ctx_, bar_text(style_.log), kWhite, kBarFont, kBlack);
        mouse_clear(ctx_.mouse);
        registered_ = register_mousecb(ctx_, window_, kMouseClicksMoveUp) >= 0;
        if (!menus_off_) {
            menus_off_.emplace(ctx_.menus);
            // Why the menus are grey, and how they come back.
            status_before_ = ctx_.frame.status();
            ctx_.frame.set_status("The menus wait while " + name_ + " is viewed: Esc returns to them.");
        }
        keystart(ctx_.frame, window_);
    }

    void loop()
    {
        for (;;) {
            if (run_ended(ctx_)) return leave(false);
            if (keywait(ctx_.frame, window_)) {
                const int key = keyget(ctx_.frame, window_);
                if (key == 27) return leave(true);
                act_on_key(key);
                if (key == '6' || key == '4') continue;
            }
            const int state = mouse_poll(ctx_.mouse, kPollMs);
            if (state == kMouseRight) return leave(false);
            if (state != kMouseLeft || ctx_.mouse.y >= kBarZone) continue;
            // The bar's buttons by the shared rule, over the whole zone.
            const int b = bar_button(ctx_.mouse.x, 0) - 1;
            if (b == esc) return leave(true);
            if (!act_on_button(b)) return leave(false);
            // Down, Up, Right and Left repeat while the button is held.
            if (b == line_down || b == line_up || b == right || b == left) continue;
            mouse_clear(ctx_.mouse);
        }
    }

    void act_on_key(int key)
    {
        switch (key) {
        case '3':
        case 'Q': session_.page_down(); break;
        case '9':
        case 'I': session_.page_up(); break;
        case '2': session_.line_down(); break;
        case '8': session_.line_up(); break;
        case '7': session_.top(); break;
        case '1': session_.end(); break;
        case '6': session_.right(); break;
        case '4': session_.left(); break;
        default: break;
        }
    }

    // False when the viewer must be left.
    bool act_on_button(int b)
    {
        switch (b) {
        case page_down: session_.page_down(); break;
        case page_up: session_.page_up(); break;
        case line_down: session_.line_down(); break;
        case line_up: session_.line_up(); break;
        case top: session_.top(); break;
        case end: session_.end(); break;
        case find: find_dialog(); break;
        case begin:
            session_.begin(rq_.search_text ? *rq_.search_text : std::string());
            input_setup();
            break;
        case right: session_.right(); break;
        case left: session_.left(); break;
        case goto_or_help:
            if (unit_ == kLogLike) return goto_dialog();
            // Only the control file and the data file have a help topic of their own here.
            if (rq_.unit == kControlFile) helpshow(ctx_, "Help: .MRC file");
            if (rq_.unit == kDataFile) helpshow(ctx_, "Help: Data file");
            break;
        case help: helpshow(ctx_, rq_.unit == kLogFile ? "Help: Output log" : "Help: Browser"); break;
        default: break;
        }
        return true;
    }

    void find_dialog()
    {
        auto dialog = platform::Dialog::load(ctx_.dialogs, kDialogFind, ctx_.host);
        if (!dialog) {
            ctx_.log.write("Error: dialog box 53 not found");
            if (!state_.find_cancelled) {
                session_.find(session_.find_text());
                input_setup();
            }
            return;
        }
        if (!session_.find_used()) session_.clear_find_text();
        dialog->set_text(kFindEdit, files::rtrim(session_.find_text()));
        for (;;) {
            const int result = dialog->run_modal();
            if (result == kFindHelp && !run_ended(ctx_)) {
                helpshow(ctx_, "Find string");
                continue;
            }
            if (result != 1) {
                state_.find_cancelled = true;
                return;
            }
            std::string typed;
            dialog->get_text(kFindEdit, typed);
            state_.find_cancelled = false;
            session_.find(typed.substr(0, std::min(typed.size(), kFindWidth)));
            input_setup();
            return;
        }
    }

    // False when the viewer must be left (no dialog to show).
    bool goto_dialog()
    {
        auto dialog = platform::Dialog::load(ctx_.dialogs, kDialogGoto, ctx_.host);
        if (!dialog) {
            ctx_.log.write("Error: dialog box 1399 not found");
            return false;
        }
        const std::vector<HistoryEntry>& entries = ctx_.history.entries;
        const int count = static_cast<int>(entries.size());
        std::vector<bool>& flags = selections_.selflag;
        if (flags.size() < ActionHistory::kCapacity + 1) flags.resize(ActionHistory::kCapacity + 1, false);
        std::fill(flags.begin() + 1, flags.begin() + ActionHistory::kCapacity + 1, false);
        dialog->set_int(kGotoList, count, platform::kNumItems);
        for (int j = 1; j <= count; ++j)
            dialog->set_text(kGotoList, entries[static_cast<std::size_t>(j - 1)].heading, j);
        dialog->set_callback(kGotoList, lbsel_callback(selections_));
        for (;;) {
            if (dialog->run_modal() != 1 || run_ended(ctx_)) return true;
            for (int j = 1; j <= count && static_cast<std::size_t>(j) < flags.size(); ++j) {
                if (!flags[static_cast<std::size_t>(j)]) continue;
                session_.go_to(entries[static_cast<std::size_t>(j - 1)].time);
                input_setup();
                return true;
            }
        }
    }

    void leave(bool write_back)
    {
        if (write_back && rq_.search_text) *rq_.search_text = session_.search_text();
        const bool unregistered = unregister_mousecb(ctx_, window_) >= 0;
        if (menus_off_) ctx_.frame.set_status(status_before_);
        menus_off_.reset();
        if (registered_ && !unregistered) msgok(ctx_, "unable to unregistermouseevent$");
        ctx_.frame.set_active(window_);
        textrow(ctx_, std::string_view("Window not active. Click View:Output to activate"), kInactiveBack, 1,
                kBarFont, kBlack);
        ctx_.frame.set_window_size(window_, {platform::SizeState::minimised});
        index_.close();
    }

    Context& ctx_;
    Selections& selections_;
    ViewerState& state_;
    ViewRequest& rq_;
    int unit_;
    int window_;
    std::string name_;
    LineIndex& index_;
    PageStyle style_;
    Session session_;
    std::optional<MenusOff> menus_off_;
    std::string status_before_; // the frame's status line, given back on leaving
    bool registered_ = false;
};

} // namespace

void viewfile(Context& ctx, Selections& selections, ViewerState& state, ViewRequest& rq)
{
    int unit = rq.unit;
    ctx.textcol1 = 1;
    if (!rq.folder.empty() && !io::change_folder(rq.folder)) {
        std::string text =
            "Problem accessing " + rq.folder.substr(0, std::min(rq.folder.size(), kFolderChars)) + ".. $";
        msgbox(ctx, text, BoxKind::Ok, false);
    }

    std::string name = rq.name;
    LineIndex* index = &state.indexes[unit + kWindowOffset];
    if (!name.empty() && index->open(name)) {
        // The control and data viewers have Window-menu items that open them again.
        if ((unit == kControlFile || unit == kDataFile) && rq.window_routine)
            winmenu(ctx.menus, ctx.windows, unit, name.substr(0, std::min(name.size(), kMenuChars)),
                    rq.window_routine);
    } else {
        if (unit == kLogFile || unit == kControlFile || unit == kDataFile)
            helpshow(ctx, "NOTE: no file yet assigned");
        std::string chosen;
        if (opendlg(ctx.host, chosen, filters(unit)) != 1) return;
        name = chosen;
        unit = unit_for_extension(name, unit);
        index = &state.indexes[unit + kWindowOffset];
        if (!index->open(name)) return;
    }

    if (rq.output_note && *rq.output_note) {
        helpshow(ctx, "NOTE: Output file ");
        *rq.output_note = false;
    }
    Viewer viewer(ctx, selections, state, rq, unit, name, *index);
    viewer.run();
}

} // namespace meru::ui::viewer
