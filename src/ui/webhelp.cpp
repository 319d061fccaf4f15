#include "ui/webhelp.h"

#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "ui/context.h"
#include "ui/messages.h"

#include <optional>

namespace meru::ui {

namespace {

// The help topic shown when no program opens web pages.
constexpr std::string_view kNoBrowserTopic = "ERROR: Internet Explorer not found";

std::optional<std::string> locate(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return io::file_exists(program) ? std::optional<std::string>(program) : std::nullopt;
    return io::find_on_path(program);
}

} // namespace

std::string web_address(const WebRequest& request)
{
    std::string address;
    if (request.web) address = std::string(kWebSite);
    if (request.manual) address = std::string(kWebSite) + std::string(kManualPage);
    if (request.faq) address = std::string(kWebSite) + std::string(kFaqPage);
    return address;
}

void webhelp(Context& ctx, std::string& message, const WebRequest& request, const std::string& opener)
{
    if (!io::current_folder()) {
        ctx.log.write("Failed to locate current directory");
        return;
    }
    message = "NOTE: MS Internet Explorer";
    const auto program = locate(opener);
    if (!program) {
        message = std::string(kNoBrowserTopic);
        helpshow(ctx, message);
        return;
    }
    const std::string address = web_address(request);
    if (address.empty()) return;
    if (io::open_url(address, *program) != 0) {
        std::string note_text = "Failure in SYSTEMQQ accessing MERU website $";
        note(ctx, note_text, NoteKind::Cut79, false);
    }
}

} // namespace meru::ui
