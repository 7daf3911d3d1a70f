// Plug-in "选项设置" of the piece-record module (f_jijm).
#include "contract/pluginframe.h"
#include "pieceopt/tjjxxform.h"

namespace {

class PieceoptFrame : public wage::PluginFrame {
public:
    PieceoptFrame() : PluginFrame(QStringLiteral("选项设置,f_jijm"), QStringLiteral("Plugins\\pieceopt.dll")) {}

protected:
    wage::PluginForm *createForm() override { return new TJJXXForm; }

    void prepareReshow(wage::PluginForm *form, const wage::PluginParams &params, QObject *hostWindow,
                       QObject *hostDataModule) override
    {
        form->setWindowTitle(params.function());
        form->userName = params.user();
        attachHost(form, hostWindow, hostDataModule);
    }

    void present(wage::PluginForm *form, const wage::PluginParams &, bool) override
    {
        static_cast<TJJXXForm *>(form)->LoadSwitches();
        if (QWidget *main = wage::hostMainWindow(form->hostWindow)) {
            QRect r = form->frameGeometry();
            r.moveCenter(main->frameGeometry().center());
            form->move(r.topLeft());
        }
        form->show();
        form->raise();
    }
} frame;

} // namespace

WAGE_PLUGIN_EXPORTS(frame)
