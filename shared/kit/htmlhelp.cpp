#include "kit/htmlhelp.h"

#include "core/appdir.h"
#include "core/prompt.h"
#include "kit/shellopen.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace wage {

void splitHelpPath(const QString &helpPath, QString *file, QString *topic)
{
    QString path = helpPath;
    const int sep = path.indexOf(QLatin1String("::"));
    *topic = sep >= 0 ? path.mid(sep + 2) : QString();
    while (topic->startsWith(QLatin1Char('/')))
        topic->remove(0, 1);
    path = sep >= 0 ? path.left(sep) : path;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    path.replace(QRegularExpression(QStringLiteral("/{2,}")), QStringLiteral("/"));
    *file = path;
}

} // namespace wage

bool HtmlHelp(QWidget *, const QString &helpPath, int, int)
{
    QString file, topic;
    wage::splitHelpPath(helpPath, &file, &topic);
    // Names in the program directory are found without regard to case.
    const QFileInfo fi(file);
    const QString resolved = fi.isAbsolute() ? wage::resolveIn(fi.path(), fi.fileName()) : wage::programFile(file);
    if (!QFileInfo::exists(resolved)) {
        wage::prompt().information(QStringLiteral("找不到帮助文件：") + QDir::toNativeSeparators(file)
                                       + (topic.isEmpty() ? QString() : QStringLiteral("\r帮助主题：") + topic),
                                   QStringLiteral("帮助"));
        return false;
    }
    if (!wage::shellOpenFile(resolved)) {
        wage::prompt().information(QStringLiteral("没有可以打开帮助文件的程序：") + QDir::toNativeSeparators(resolved),
                                   QStringLiteral("帮助"));
        return false;
    }
    return true;
}
