#pragma once
// The interface services the computing core calls (services.h), carried out by
// the Qt interface services of this folder on one Context.
#include "core/services.h"

namespace meru::ui {

struct Context;

class QtServices final : public Services {
public:
    // `search_end` is the Search:End request that the menu routine raises.
    QtServices(Context& ctx, bool& search_end) : ctx_(ctx), search_end_(search_end) {}

    int msgbox(std::string& text, BoxKind kind, bool log) override;
    void msgok(std::string_view text) override;
    bool quiz(std::string_view question) override;
    void note(std::string_view text, NoteKind kind, bool log) override;
    void thinking(std::string_view text, bool show) override;
    void helpshow(std::string_view topic) override;
    void actlog(std::string_view text) override;
    void selfont(int sizecode) override;
    void yield() override;
    bool search_end() override { return search_end_; }
    void clear_search_end() override { search_end_ = false; }

private:
    Context& ctx_;
    bool& search_end_;
};

} // namespace meru::ui
