#include "core/errlog.h"

#include "core/appdir.h"
#include "core/textcodec.h"
#include "core/wageerror.h"

#include <QDateTime>
#include <QFile>

void WriteErrLog(const QString &message)
{
    const QString path = wage::programFile(QStringLiteral("Error.Log"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw WageError(QStringLiteral("无法写入错误日志 %1：%2").arg(path, file.errorString()));
    const QByteArray line = wage::toGbk(message) + "\r\n";
    if (file.write(line) != line.size())
        throw WageError(QStringLiteral("无法写入错误日志 %1：%2").arg(path, file.errorString()));
}

namespace wage {

QString nowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void WriteTimedLog(const QString &message)
{
    WriteErrLog(nowText() + QStringLiteral(": ") + message);
}

} // namespace wage
