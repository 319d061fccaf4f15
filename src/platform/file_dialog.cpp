#include "platform/file_dialog.h"

#include "platform/modal_front.h"
#include "platform/qtext.h"

#include "platform/script.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace meru::platform {

std::string with_extension(const std::string& path, std::string_view suffix)
{
    if (suffix.empty() || path.empty() || !QFileInfo(qs(path)).suffix().isEmpty()) return path;
    return path + "." + std::string(suffix);
}

std::string with_default_suffix(const std::string& path, std::string_view suffix)
{
    return !path.empty() && QFileInfo(qs(path)).exists() ? path : with_extension(path, suffix);
}

namespace {

QStringList patterns_of(const FileFilter& filter)
{
    return qs(filter.patterns).split(QRegularExpression("[;\\s]+"), Qt::SkipEmptyParts);
}

} // namespace

bool filter_shows(const FileFilter& filter, std::string_view path)
{
    return QDir::match(patterns_of(filter), QFileInfo(qs(path)).fileName());
}

std::string name_filter(const FileFilter& filter)
{
    QStringList patterns;
    for (const QString& p : patterns_of(filter))
        for (const QString& variant : {p, p.toLower(), p.toUpper()})
            if (!patterns.contains(variant)) patterns << variant;
    return (qs(filter.description).remove(QRegularExpression("\\s*\\(.*\\)\\s*$")) + " (" + patterns.join(' ') + ")")
        .toStdString();
}

std::vector<FileFilter> parse_filter_list(std::string_view list)
{
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos < list.size()) {
        size_t nul = list.find('\0', pos);
        if (nul == std::string_view::npos) nul = list.size();
        if (nul == pos) // the extra NUL ends the list
            break;
        parts.emplace_back(list.substr(pos, nul - pos));
        pos = nul + 1;
    }
    std::vector<FileFilter> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) out.push_back({parts[i], parts[i + 1]});
    return out;
}

std::optional<std::string> open_file_dialog(const ModalHost& host, std::string_view title,
                                            const std::vector<FileFilter>& filters, std::string_view start_folder,
                                            std::string_view initial_name, std::string_view default_suffix)
{
    // The folder the dialog starts in: the initial name's own (or the initial
    // name itself when it names a folder, and then no file name is shown), else
    // the one given, else the current directory.
    QString folder = start_folder.empty() ? QDir::currentPath() : qs(start_folder);
    QString initial = qs(initial_name);
    if (initial.endsWith(QLatin1Char('/')) || (!initial.isEmpty() && QFileInfo(initial).isDir())) {
        folder = initial;
        initial.clear();
    } else if (initial.contains(QLatin1Char('/'))) {
        folder = QFileInfo(initial).absolutePath();
    }
    if (host.script) return host.script->at_file_dialog(title, true, default_suffix, folder.toStdString());
    QFileDialog dlg(host.owner, qs(title), folder);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!default_suffix.empty()) dlg.setDefaultSuffix(qs(default_suffix));
    QStringList names;
    for (const auto& f : filters) names << qs(name_filter(f));
    if (!names.isEmpty()) dlg.setNameFilters(names);
    // A name the first filter hides (the control file last opened, shown with
    // File:New's data files) is not offered: the dialog starts in its folder.
    if (!initial.isEmpty() && (filters.empty() || filter_shows(filters.front(), initial_name)))
        dlg.selectFile(initial);
    if (exec_in_front(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front().toStdString();
}

} // namespace meru::platform
