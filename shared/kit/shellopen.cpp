#include "kit/shellopen.h"

#include <QDesktopServices>

namespace wage {
namespace {
std::function<bool(const QUrl &)> &opener()
{
    static std::function<bool(const QUrl &)> f;
    return f;
}
} // namespace

bool shellOpen(const QUrl &url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

bool shellOpenFile(const QString &path) { return shellOpen(QUrl::fromLocalFile(path)); }

void setShellOpener(std::function<bool(const QUrl &)> f) { opener() = std::move(f); }

} // namespace wage
