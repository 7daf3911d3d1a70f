// Plug-in "订单监控" of the order module (f_pici).
#include "contract/pluginframe.h"
#include "db/dbroutines.h"
#include "net/alert.h"
#include "ordmon/tordmon_form.h"
#include "progress/tprogress.h"

#include <QLabel>

namespace {

class OrdmonFrame : public wage::PluginFrame {
public:
    OrdmonFrame() : PluginFrame(QStringLiteral("订单监控,f_pici"), QStringLiteral("Plugins\\ordmon.dll")) {}

protected:
    wage::PluginForm *createForm() override { return new TOrdmon_form; }

    void startUp(wage::PluginForm *form, const wage::PluginParams &) override
    {
        auto *window = static_cast<TOrdmon_form *>(form);
        // Each step lets the host's messages run; a window closed meanwhile ends the start-up.
        if (!step(form, 1, 5, QStringLiteral("正在读取数据环境 ....")))
            return;
        if (QWidget *main = wage::hostMainWindow(form->hostWindow)) {
            const QRect r = main->geometry();
            window->setGeometry(r.x(), r.y(), r.width(), r.height() - 10);
        }
        window->statusPanel(0)->setText(versionLabel());
        window->progress = progress();
        window->bindHost();
        if (!step(form, 2, 5, QStringLiteral("正在检查数据结构 ....")))
            return;
        window->CheckMonitorStructure();
        if (window->restartRequested) {
            // The host restarts to take up the new table; this window has no future.
            progress()->showpress(5, 5, QStringLiteral("正在初始化数据环境 ...."));
            closeMyform();
            return;
        }
        if (!step(form, 3, 5, QStringLiteral("正在初始化数据环境 ....")))
            return;
        AlertConn(form->connection);
    }

    void present(wage::PluginForm *form, const wage::PluginParams &params, bool) override
    {
        form->userName = params.user();
        static_cast<TOrdmon_form *>(form)->OpenMonitor();
        progress()->showpress(5, 5, QStringLiteral("正在初始化数据环境 ...."));
    }

    void refused() override { progress()->showpress(5, 5, QStringLiteral("正在初始化数据环境 ....")); }

    void release(wage::PluginForm *form) override
    {
        if (!form->scratchTable.isEmpty())
            RunSqlCommand(QStringLiteral("drop table ") + form->scratchTable, form->connection);
    }
} frame;

} // namespace

WAGE_PLUGIN_EXPORTS(frame)
