#include "contract/pluginframe.h"

#include "core/errlog.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "core/textcodec.h"
#include "db/connection.h"
#include "net/fileversion.h"
#include "progress/tprogress.h"
#include "progress/tprogress_form.h"

#include <QCoreApplication>

#include <exception>
#include <utility>

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

bool PluginFrame::step(const PluginForm *form, int position, int maximum, const QString &message)
{
    if (!isCurrent(form))
        return false;
    progress()->showpress(position, maximum, message);
    return isCurrent(form);
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
    // A call while a window is still starting (the host's messages run meanwhile) would see a
    // half-built window: the first call shows it.
    if (m_startingUp)
        return true;
    ++m_showDepth;
    try {
        const PluginParams items = splitPluginParams(params);
        try {
            showForm(items, hostWindow, hostDataModule);
        } catch (const std::exception &e) {
            // An error must not cross into the host; no half-built window is left behind.
            reportFailure(items.function(), QString::fromUtf8(e.what()));
        } catch (...) {
            reportFailure(items.function(), QStringLiteral("发生未知错误。"));
        }
    } catch (...) {
    }
    m_startingUp = false;
    if (--m_showDepth == 0)
        freeClosedForms();
    return true;
}

void PluginFrame::showForm(const PluginParams &items, QObject *hostWindow, QObject *hostDataModule)
{
    if (m_form) {
        const QPointer<PluginForm> form = m_form;
        prepareReshow(form, items, hostWindow, hostDataModule);
        if (!isCurrent(form) || (reshowChecksRight() && !permitted(items)))
            return;
        if (isCurrent(form))
            present(form, items, false);
        return;
    }
    m_startingUp = true;
    PluginForm *form = createForm();
    m_form = form;
    form->setWindowTitle(items.function());
    form->userName = items.user();
    attachHost(form, hostWindow, hostDataModule);
    startUp(form, items);
    if (!isCurrent(form)) {
        abandonStartUp();
        return;
    }
    const bool granted = permitted(items);
    m_startingUp = false;
    if (granted && isCurrent(form))
        present(form, items, true);
}

// The window went while its start-up ran: a progress display it left open goes with it.
void PluginFrame::abandonStartUp()
{
    m_startingUp = false;
    if (m_progress && m_progress->form())
        m_progress->form()->close();
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
    m_form = nullptr;
    if (m_showDepth > 0) {
        // ShowDLLForm is further up the stack with this window in hand: free it on its return.
        form->hide();
        m_closed << form;
        return;
    }
    try {
        release(form);
    } catch (...) {
        // A scratch table that cannot be dropped does not keep the window alive.
    }
    delete form;
}

void PluginFrame::freeClosedForms()
{
    const QList<QPointer<PluginForm>> closed = std::exchange(m_closed, {});
    for (const QPointer<PluginForm> &form : closed) {
        if (!form)
            continue;
        try {
            release(form);
        } catch (...) {
        }
        delete form.data();
    }
}

} // namespace wage
