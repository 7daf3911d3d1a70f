#include "pluginhost.h"

#include "core/errlog.h"
#include "core/strutil.h"
#include "core/textcodec.h"

#include <QDir>
#include <QLibrary>

namespace host {
namespace {

void skip(const QString &file, const QString &reason)
{
    try {
        WriteErrLog(QStringLiteral("插件 %1 未加载：%2").arg(QFileInfo(file).fileName(), reason));
    } catch (const std::exception &) {
    }
}

} // namespace

void PluginHost::loadAll(const QString &dir)
{
    const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : files) {
        // Libraries stay loaded for the life of the program (QLibrary does not unload on
        // destruction), as the plug-ins' windows need.
        QLibrary lib(info.absoluteFilePath());
        QLibrary *library = &lib;
        if (!library->load()) {
            skip(info.absoluteFilePath(), library->errorString());
            continue;
        }
        using CaptionFn = const char *(*)();
        auto caption = reinterpret_cast<CaptionFn>(library->resolve("GetCaption"));
        LoadedPlugin plugin;
        plugin.file = info.absoluteFilePath();
        plugin.show = reinterpret_cast<decltype(plugin.show)>(library->resolve("ShowDLLForm"));
        plugin.close = reinterpret_cast<decltype(plugin.close)>(library->resolve("CloseMyform"));
        if (!caption || !plugin.show || !plugin.close) {
            skip(plugin.file, QStringLiteral("缺少导出函数 GetCaption、ShowDLLForm 或 CloseMyform"));
            continue;
        }
        const char *identity = caption();
        const QString text = identity ? wage::fromGbk(QByteArray(identity)) : QString();
        const QStringList parts = GetStringList(QStringLiteral(","), text, 0);
        if (parts.size() != 2 || parts.at(0).isEmpty() || parts.at(1).isEmpty()) {
            skip(plugin.file, QStringLiteral("标识“%1”不是“功能,表名”").arg(text));
            continue;
        }
        plugin.caption = parts.at(0);
        plugin.table = parts.at(1);
        m_plugins << plugin;
    }
}

QList<LoadedPlugin> PluginHost::forTable(const QString &table) const
{
    QList<LoadedPlugin> result;
    for (const LoadedPlugin &plugin : m_plugins) {
        if (plugin.table.compare(table, Qt::CaseInsensitive) == 0)
            result << plugin;
    }
    return result;
}

const LoadedPlugin *PluginHost::find(const QString &table, const QString &caption) const
{
    for (const LoadedPlugin &plugin : m_plugins) {
        if (plugin.table.compare(table, Qt::CaseInsensitive) == 0 && plugin.caption == caption)
            return &plugin;
    }
    return nullptr;
}

void openPlugin(const LoadedPlugin &plugin, const QString &user, QObject *moduleWindow, QObject *dataModule)
{
    const QByteArray params = wage::toGbk(plugin.caption + QLatin1Char(',') + user);
    plugin.show(nullptr, params.constData(), moduleWindow, dataModule);
}

} // namespace host
