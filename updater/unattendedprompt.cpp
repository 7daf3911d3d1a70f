#include "unattendedprompt.h"

#include "updaterfiles.h"

#include <cstdio>

namespace updater {

void UnattendedPrompt::write(const QString &caption, const QString &text, const QString &answer)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    line = line.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    if (!caption.isEmpty())
        line = caption + QStringLiteral("：") + line;
    if (!answer.isEmpty())
        line += QStringLiteral("（自动回答：") + answer + QStringLiteral("）");
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
    logLine(line);
}

void UnattendedPrompt::message(const QString &text) { write(QString(), text); }
void UnattendedPrompt::warning(const QString &text, const QString &caption) { write(caption, text); }
void UnattendedPrompt::information(const QString &text, const QString &caption) { write(caption, text); }
void UnattendedPrompt::error(const QString &text, const QString &caption) { write(caption, text); }

bool UnattendedPrompt::question(const QString &text, const QString &caption)
{
    write(caption, text, QStringLiteral("是"));
    return true;
}

QString UnattendedPrompt::openFileName(const QString &caption, const QString &, const QString &)
{
    write(caption, QStringLiteral("无人值守运行，不能选择文件"));
    return QString();
}

QString UnattendedPrompt::saveFileName(const QString &caption, const QString &, const QString &)
{
    write(caption, QStringLiteral("无人值守运行，不能选择文件"));
    return QString();
}

} // namespace updater
