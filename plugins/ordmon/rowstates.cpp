// Row colours by production state, the completion filter and the layout memory on closing.
#include "ordmon/tordmon_form.h"

#include "core/handlerguard.h"
#include "core/inifile.h"
#include "db/dataset.h"
#include "db/datasource.h"
#include "kit/datagrid.h"
#include "kit/tradiogroup.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>

namespace {

// The fill colour of a legend square, read at drawing time.
QColor legendColour(const QWidget *window, const char *name)
{
    const auto *square = window->findChild<QLabel *>(QString::fromLatin1(name));
    return square ? square->palette().color(QPalette::Window) : QColor();
}

} // namespace

const char *TOrdmon_form::rowState(double actual, double planned)
{
    // The last rule wins: nothing produced is 未生产 whatever the comparison gave.
    if (actual == 0)
        return "state2";
    if (actual < planned)
        return "state4";
    if (actual > planned)
        return "state3";
    return "state1";
}

void TOrdmon_form::installRowColours()
{
    struct Colouring {
        wage::DataGrid *grid;
        const char *actual;
        const char *planned;
    };
    for (const Colouring &s : {Colouring{Ordmon_DBGridEh, "pc_sjcl", "pc_dhul"}, Colouring{DBGridEh_Master, "pc_total", "ip_jhsccb"},
                          Colouring{DBGridEh_Detail, "pc_total", "ip_jhsccb"}}) {
        wage::DataGrid *grid = s.grid;
        const QString actual = QString::fromLatin1(s.actual), planned = QString::fromLatin1(s.planned);
        grid->setCellStyleHook([this, grid, actual, planned](int row, int column, wage::CellStyle *style) {
            wage::Dataset *d = grid->dataset();
            if (!d || !d->isActive() || row < 0 || row >= d->recordCount() || grid->column(column).fieldName.isEmpty())
                return false;
            const int a = d->fieldIndex(actual), p = d->fieldIndex(planned);
            if (a < 0 || p < 0)
                return false;
            style->background = legendColour(this, rowState(d->value(row, a).toDouble(), d->value(row, p).toDouble()));
            return style->background.isValid();
        });
    }
}

void TOrdmon_form::RadioGroup2Click()
{
    wage::guardHandler(QStringLiteral("完成率"), [this] {
        static const char *const filters[] = {
            "select * from f_pici where pc_wcl<=0.3",
            "select * from f_pici where pc_wcl>0.3 and pc_wcl<=0.6",
            "select * from f_pici where pc_wcl>0.6 and pc_wcl<=0.9",
            "select * from f_pici where pc_wcl>0.9 ",
        };
        const int item = RadioGroup2->ItemIndex();
        wage::Dataset *ord = orders();
        if (item < 0 || item > 3 || !ord)
            return;
        ord->close();
        ord->setCommandText(QString::fromLatin1(filters[item]));
        ord->open();
    });
}

void TOrdmon_form::closeEvent(QCloseEvent *event)
{
    wage::guardHandler(windowTitle(), [this] {
        const QString ini = QStringLiteral("USERTEM.INI"), display = QStringLiteral("display"), write = QStringLiteral("write");
        inistring(display, QStringLiteral("PCJKForm_EhMaster"), QString::number(DBGridEh_Master->width()), ini, write);
        inistring(display, QStringLiteral("PCJKForm_Panel0"), QString::number(Panel0->height()), ini, write);
        inistring(display, QStringLiteral("PCJKForm_PageC"), QString::number(PageControl1->height()), ini, write);
    });
    for (QTimer *t : {Timer1, Timer2, Timer3})
        t->stop();
    CheckBox1->setChecked(false);
    // Hidden, not freed: only CloseMyform frees the window.
    hide();
    event->ignore();
}
