// Plug-in "调整工价" of the piece-record module (f_jijm); its window is modal.
#include "contract/pluginframe.h"
#include "db/dbroutines.h"
#include "priceadj/tgxtzform.h"
#include "progress/tprogress.h"

#include <QTabWidget>

namespace {

class PriceadjFrame : public wage::PluginFrame {
public:
    PriceadjFrame() : PluginFrame(QStringLiteral("调整工价,f_jijm"), QStringLiteral("Plugins\\priceadj.dll")) {}

protected:
    wage::PluginForm *createForm() override { return new TGxtzForm(versionLabel(), progress()); }

    void startUp(wage::PluginForm *form, const wage::PluginParams &) override
    {
        // The step lets the host's messages run; a window closed meanwhile ends the start-up.
        if (!step(form, 1, 5, QStringLiteral("正在建立所需数据环境....")))
            return;
        if (QWidget *main = wage::hostMainWindow(form->hostWindow))
            form->resize(main->width(), main->height());
        static_cast<TGxtzForm *>(form)->setUpWindow();
        firstHostPage(form->hostWindow);
    }

    void prepareReshow(wage::PluginForm *form, const wage::PluginParams &params, QObject *, QObject *) override
    {
        form->userName = params.user();
        firstHostPage(form->hostWindow);
    }

    void present(wage::PluginForm *form, const wage::PluginParams &, bool) override
    {
        static_cast<TGxtzForm *>(form)->prepareShow();
        closeProgress();
        form->showModal();
    }

    // The start-up progress would otherwise stay on screen after a refusal.
    void refused() override { closeProgress(); }

    void release(wage::PluginForm *form) override
    {
        if (!form->scratchTable.isEmpty() && TableExists(form->scratchTable, form->connection))
            RunSqlCommand(QStringLiteral("Drop table ") + form->scratchTable, form->connection);
    }

private:
    void closeProgress() { progress()->showpress(5, 5, QStringLiteral("正在建立所需数据环境....")); }

    static void firstHostPage(QObject *hostWindow)
    {
        if (auto *pagec = wage::findHostObjectAs<QTabWidget>(hostWindow, QStringLiteral("pagec")))
            pagec->setCurrentIndex(0);
    }
} frame;

} // namespace

WAGE_PLUGIN_EXPORTS(frame)
