#include "platform/arguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace meru::platform {

std::string start_path()
{
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) return QDir::currentPath().toStdString() + "/";
    const QFileInfo start(args[1]);
    return start.absoluteFilePath().toStdString() + (start.isDir() ? "/" : "");
}

} // namespace meru::platform
