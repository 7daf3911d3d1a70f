// Plug-in "批量新增" of the batch-entry module (f_juar); its window docks into "pagec".
#include "batchpiece/tplxzform.h"
#include "contract/pluginframe.h"

#include <QTabWidget>

namespace {

class BatchpieceFrame : public wage::PluginFrame {
public:
    BatchpieceFrame() : PluginFrame(QStringLiteral("批量新增,f_juar"), QStringLiteral("Plugins\\batchpiece.dll")) {}

protected:
    wage::PluginForm *createForm() override { return new TPlxzForm; }
    bool reshowChecksRight() const override { return false; }

    void startUp(wage::PluginForm *form, const wage::PluginParams &) override
    {
        static_cast<TPlxzForm *>(form)->FillWorkers();
        auto *pagec = wage::findHostObjectAs<QTabWidget>(form->hostWindow, QStringLiteral("pagec"));
        if (!pagec) {
            form->show();
            return;
        }
        if (pagec->count() > 0)
            pagec->setCurrentIndex(pagec->count() - 1);
        // Docking gives the window a page of its own, which becomes the active one.
        pagec->setCurrentIndex(pagec->addTab(form, QString()));
        pagec->setTabText(pagec->currentIndex(), form->windowTitle());
        form->show();
    }

    void prepareReshow(wage::PluginForm *form, const wage::PluginParams &params, QObject *, QObject *) override
    {
        auto *pagec = wage::findHostObjectAs<QTabWidget>(form->hostWindow, QStringLiteral("pagec"));
        if (!pagec) {
            form->show();
            return;
        }
        for (int i = 0; i < pagec->count(); ++i) {
            if (pagec->tabText(i) == params.function())
                pagec->setCurrentIndex(i);
        }
    }

    // Already shown by docking.
    void present(wage::PluginForm *, const wage::PluginParams &, bool) override {}
} frame;

} // namespace

WAGE_PLUGIN_EXPORTS(frame)
