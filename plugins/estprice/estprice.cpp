// Plug-in "预估工价" of the product module (f_ijpn).
#include "contract/pluginframe.h"
#include "db/dbroutines.h"
#include "estprice/tyggjform.h"

namespace {

class EstpriceFrame : public wage::PluginFrame {
public:
    EstpriceFrame() : PluginFrame(QStringLiteral("预估工价,f_ijpn"), QStringLiteral("Plugins\\estprice.dll")) {}

protected:
    wage::PluginForm *createForm() override { return new TYggjForm; }
    bool reshowChecksRight() const override { return false; }

    void startUp(wage::PluginForm *form, const wage::PluginParams &params) override
    {
        form->userName = params.user();
        static_cast<TYggjForm *>(form)->SetUpData();
    }

    void present(wage::PluginForm *form, const wage::PluginParams &, bool created) override
    {
        form->show();
        if (created)
            static_cast<TYggjForm *>(form)->PlaceWindow();
        form->raise();
    }

    // The analysis table lives as long as the window, also when the host frees the window
    // without closing it first.
    void release(wage::PluginForm *form) override
    {
        if (!form->scratchTable.isEmpty() && TableExists(form->scratchTable, form->connection))
            RunSqlCommand(QStringLiteral("drop table ") + form->scratchTable, form->connection);
    }
} frame;

} // namespace

WAGE_PLUGIN_EXPORTS(frame)
