#pragma once
// Services for fuzz targets: every message is swallowed, questions answer Yes.
#include "core/services.h"

#include <string>
#include <string_view>

namespace meru::fuzz {

class QuietServices : public Services {
public:
    int msgbox(std::string&, BoxKind, bool) override { return 1; }
    void msgok(std::string_view) override {}
    bool quiz(std::string_view) override { return true; }
    void note(std::string_view, NoteKind, bool) override {}
    void thinking(std::string_view, bool) override {}
    void helpshow(std::string_view) override {}
    void actlog(std::string_view) override {}
    void selfont(int) override {}
    void yield() override {}
    bool search_end() override { return false; }
    void clear_search_end() override {}
};

} // namespace meru::fuzz
