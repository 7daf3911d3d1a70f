#include "contract/pluginframe.h"

#include "core/errlog.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "core/textcodec.h"
#include "db/connection.h"
#include "net/fileversion.h"
#include "progress/tprogress.h"

#include <QCoreApplication>

#include <exception>

namespace wage {

PluginFrame::PluginFrame(const QString &identity, const QString &pluginFile)
    : m_captionGbk(toGbk(identity)), m_table(getsub(identity, QStringLiteral(","), QStringLiteral("right"))),
      m_pluginFile(pluginFile)
{
}

// The window belongs to the host's application; at unload or exit it is left alone.
PluginFrame::~PluginFrame() = default;

QString PluginFrame::versionLabel() const
{
    return QStringLiteral("插件版本：") + GetBuildVersion(m_pluginFile);
}

Tprogress *PluginFrame::progress()
{
    if (!m_progress)
        m_progress = new Tprogress(QCoreApplication::instance());
    return m_progress;
}

void PluginFrame::attachHost(PluginForm *form, QObject *hostWindow, QObject *hostDataModule) const
{
    form->hostWindow = hostWindow;
    form->hostDataModule = hostDataModule;
    form->connection = findHostObjectAs<Connection>(hostDataModule, QStringLiteral("adoconnection1"));
}

bool PluginFrame::permitted(const PluginParams &params)
{
    if (pluginRightGranted(m_form->connection, m_table, params.function(), params.user()))
        return true;
    prompt().warning(QStringLiteral("无此权限"), QStringLiteral("提示"));
    closeMyform();
    refused();
    return false;
}

bool PluginFrame::showDLLForm(void *, const char *params, QObject *hostWindow, QObject *hostDataModule)
{
    // Host and plug-ins share one application object: the application handle has nothing to
    // adopt here.
    const PluginParams items = splitPluginParams(params);
    try {
        if (m_form) {
            prepareReshow(m_form, items, hostWindow, hostDataModule);
            if (reshowChecksRight() && !permitted(items))
                return true;
            present(m_form, items, false);
            return true;
        }
        m_form = createForm();
        m_form->setWindowTitle(items.function());
        m_form->userName = items.user();
        attachHost(m_form, hostWindow, hostDataModule);
        startUp(m_form, items);
        if (m_form && permitted(items))
            present(m_form, items, true);
    } catch (const std::exception &e) {
        // An error must not cross into the host; no half-built window is left behind.
        reportFailure(items.function(), QString::fromUtf8(e.what()));
    }
    return true;
}

void PluginFrame::reportFailure(const QString &caption, const QString &message)
{
    try {
        WriteErrLog(message);
    } catch (const std::exception &) {
    }
    prompt().error(message, caption);
    if (m_form)
        closeMyform();
}

void PluginFrame::closeMyform()
{
    if (!m_form)
        return;
    PluginForm *form = m_form;
    try {
        release(form);
    } catch (const std::exception &) {
        // A scratch table that cannot be dropped does not keep the window alive.
    }
    m_form = nullptr;
    delete form;
}

} // namespace wage
