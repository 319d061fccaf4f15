#include "ui/opendlg.h"

#include "platform/file_dialog.h"

namespace meru::ui {

int opendlg(const platform::ModalHost& host, std::string& path, std::string_view filter)
{
    std::string_view initial = path;
    initial = initial.substr(0, initial.find('\0'));
    auto chosen =
        platform::open_file_dialog(host, "", platform::parse_filter_list(filter), "", initial, kDefaultExtension);
    if (!chosen || chosen->size() > kOpenPathMax) return 0;
    path = *chosen;
    return 1;
}

} // namespace meru::ui
