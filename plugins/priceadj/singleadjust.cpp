// Single-process adjustment: the displayed (or ticked) records of one process get a new value
// of the chosen item, optionally the process's base price too; audited records stay as they are.
#include "priceadj/tgxtzform.h"

#include "core/prompt.h"
#include "core/strutil.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/rights.h"
#include "net/alert.h"
#include "priceadj/adjustsql.h"
#include "priceadj/radiogroup.h"
#include "priceadj/runsupport.h"
#include "progress/tprogress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

using namespace priceadj;

namespace {

// Few enough commits that they cost little; other workstations wait for one batch at most.
const int kCommitEvery = 10000;

} // namespace

QString TGxtzForm::adjustableFieldName(const QString &caption, bool globalLookup)
{
    return GetSqlStr(globalLookup ? globalFieldLookupSql(caption) : singleFieldLookupSql(caption), connection);
}

void TGxtzForm::BitBtn7Click()
{
    wage::Dataset *ds = hostDataset();
    int changed = 0;
    try {
        if (Checkfunc(userName, QStringLiteral("f_jijm"), QStringLiteral("修改"), connection))
            return;
        if (!ADOQuery1->isActive() || ADOQuery1->isEmpty()) {
            wage::prompt().message(QStringLiteral("没有符合调价的工序！"));
            return;
        }
        if (ComboBox2->currentIndex() < 0) {
            wage::prompt().message(QStringLiteral("请选择确认要调整的项目"));
            return;
        }
        // The value goes into the base data's statement and into every record: a number only.
        const QString valueText = TrimText(LEdit1->text());
        double value = 0;
        if (!parseDecimal(valueText, &value)) {
            wage::prompt().warning(QStringLiteral("“调整为：”必须是一个数字，例如 1.25。\r没有调整任何记录。"),
                                   QStringLiteral("提示"));
            return;
        }
        const QString p = currentProcessNo();
        QString desc = TrimText(conditionDescription());
        if (desc.isEmpty())
            desc = QStringLiteral("所有记录！");
        desc += QStringLiteral("\r并且  工序编号 等于 ") + p;
        const QString item = ComboBox2->currentText();
        if (!wage::prompt().question(QStringLiteral("确定调整") + item + QStringLiteral("吗？\r调整范围：\r>>---")
                                         + RadioGroup2->itemText() + QStringLiteral("\r\r条件为：\r") + desc,
                                     QStringLiteral("提示")))
            return;
        const QString field = adjustableFieldName(item, false);
        if (CheckBox1->isChecked()) {
            const QString quoted = wage::sqlQuote(p);
            if (!GetSqlStr(QStringLiteral("select locked from f_ipgx where rtrim(gsxu_no)='") + quoted + QLatin1Char('\''),
                           connection)
                     .isEmpty()) {
                AlertMess(QString(), QStringLiteral("该工序已经审核，无法修改单价，请取消同步调整或者取消审核"));
                return;
            }
            if (!GetSqlStr(QStringLiteral("select locked from f_ijpn where ip_id=(select ip_id from f_ipgx where rtrim(gsxu_no)='")
                               + quoted + QStringLiteral("')"),
                           connection)
                     .isEmpty()) {
                AlertMess(QString(), QStringLiteral("该产品已经审核，无法修改产品相关工序，请取消同步调整或者取消审核"));
                return;
            }
            if (Checkfunc(userName, QStringLiteral("f_ipgx"), QStringLiteral("修改"), connection))
                return;
            RunSqlCommand(QStringLiteral("update f_ipgx set ") + field + QLatin1Char('=') + valueText
                              + QStringLiteral(" where gsxu_no='") + quoted + QLatin1Char('\''),
                          connection);
        }
        if (!ds || !ds->isActive())
            return;
        SpeedButton1->show();
        m_stop = false;
        const bool ticked = RadioGroup2->itemIndex() == 1;
        const QList<int> rows = ticked ? ds->tickedRows() : QList<int>();
        if (ticked && rows.isEmpty()) {
            SpeedButton1->hide();
            wage::prompt().message(QStringLiteral("您没有选中要调整的记录，或者更改调整范围。"));
            return;
        }
        const int lockedField = ds->fieldIndex(QStringLiteral("locked"));
        const wage::Field target = ds->fieldByName(field);
        BatchTransaction batch(connection);
        ProgressPacer pace(m_progress);
        ds->disableControls();
        try {
            batch.begin();
            const int total = ticked ? rows.size() : ds->recordCount();
            for (int i = 0; i < total; ++i) {
                const int row = ticked ? rows.at(i) : i;
                if (ticked)
                    pace.show(i, total - 1, [&] {
                        return QStringLiteral("正在调整选中的记录%1/%2,稍候……").arg(i).arg(total);
                    });
                if (ticked || rowDisplayed(DBGrid2, row)) {
                    ds->moveTo(row);
                    if (lockedField >= 0 && TrimText(ds->value(row, lockedField).toString()).isEmpty()) {
                        ds->edit();
                        target.setAsString(valueText);
                        ds->post();
                        batch.recordPosted();
                        if (batch.pending() >= kCommitEvery)
                            batch.commitAndContinue();
                    }
                }
                if (!ticked)
                    pace.show(i + 1, total, [&] { return QStringLiteral("正在更新%1/%2").arg(i + 1).arg(total); });
                if (m_stop)
                    break;
            }
            batch.commit();
            changed = batch.committed();
        } catch (const std::exception &e) {
            // What the database took stays; the rest keeps its old price. The dataset is read
            // again so that it shows what the database holds.
            cancelPending(ds);
            try {
                batch.commit();
            } catch (const std::exception &) {
                batch.abandon();
            }
            changed = batch.committed();
            ds->enableControls();
            SpeedButton1->hide();
            closeProgress(m_progress);
            try {
                SetDataSetRefresh(ds);
            } catch (const std::exception &) {
            }
            wage::prompt().warning(QStringLiteral("价格调整没有完成：") + failureText(e) + QStringLiteral("\r已调整")
                                       + QString::number(changed) + QStringLiteral("条记录，其余记录保持原价。"),
                                   QStringLiteral("提示"));
            return;
        }
        ds->enableControls();
        SpeedButton1->hide();
        wage::prompt().message(QStringLiteral("价格调整完毕！\r已调整为：") + valueText);
    } catch (const std::exception &e) {
        cancelPending(ds);
        if (ds && ds->controlsDisabled())
            ds->enableControls();
        SpeedButton1->hide();
        reportFailure(windowTitle(), e);
    }
}

void TGxtzForm::CheckBox1Click()
{
    if (!CheckBox1->isChecked() || userName == wage::administratorName())
        return;
    int count = 0;
    try {
        count = GetSqli(QStringLiteral("select count(*) from usermod where mod_table='f_jijm' and mod_func='修改' and "
                                       "mod_type='功能' and user_name='")
                            + wage::sqlQuote(userName) + QLatin1Char('\''),
                        connection);
    } catch (const std::exception &e) {
        reportFailure(windowTitle(), e);
    }
    if (count < 1) {
        wage::prompt().warning(QStringLiteral("无修改基础资料-产品工序的权限！"), QStringLiteral("提示"));
        CheckBox1->setChecked(false);
    }
}
