// Global adjustment (administrator, SQL Server installations): every displayed or ticked record
// gets its item computed from another numeric item and a constant, or a fixed value.
#include "priceadj/tgxtzform.h"

#include "core/prompt.h"
#include "core/strutil.h"
#include "db/datasource.h"
#include "kit/datagrid.h"
#include "kit/recordroutines.h"
#include "kit/rights.h"
#include "db/dbroutines.h"
#include "kit/tmsnpopup.h"
#include "priceadj/adjustsql.h"
#include "priceadj/radiogroup.h"
#include "priceadj/runsupport.h"
#include "progress/tprogress.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace priceadj;

void TGxtzForm::Edit2Change()
{
    if (RadioButton1->isChecked())
        GroupBox6->setTitle(QStringLiteral("价格调整公式：") + ComboBox3->currentText() + QStringLiteral("＝")
                            + ComboBox4->currentText() + ComboBox5->currentText() + Edit2->text());
    else
        GroupBox6->setTitle(QStringLiteral("价格调整，固定值=") + Edit2->text());
    BitBtn9->setEnabled(true);
}

void TGxtzForm::RadioButtonClick()
{
    const bool formula = RadioButton1->isChecked();
    ComboBox4->setVisible(formula);
    ComboBox5->setVisible(formula);
    Label_Equals->setVisible(formula);
    Edit2->move(formula ? 352 : 160, Edit2->y());
}

void TGxtzForm::adjustGlobalRecord(const QString &target, const QString &source, const QString &op, double v,
                                   bool fixedValue, bool *divisionByZero)
{
    wage::Dataset *ds = hostDataset();
    if (!CheckCanModify(ds))
        return;
    if (!DatasetEditor(ds, QStringLiteral("f_jijm"), connection, 2))
        throw WageError(QStringLiteral("记录不能修改"));
    const double f = ds->fieldByName(source.isEmpty() ? target : source).asFloat();
    bool assign = true;
    double result = 0;
    if (fixedValue) {
        result = v;
    } else if (op == QLatin1String("+")) {
        result = v + f;
    } else if (op == QLatin1String("-")) {
        result = f - v;
    } else if (op == QLatin1String("*")) {
        result = f * v;
    } else if (op == QLatin1String("/")) {
        if (v == 0) {
            *divisionByZero = true;
            cancelPending(ds);
            return;
        }
        result = f / v;
    } else {
        assign = false;
    }
    if (assign)
        ds->fieldByName(target).setAsFloat(result);
    if (!DatasetEditor(ds, QStringLiteral("f_jijm"), connection, 3)) {
        // The editor showed the database's reason; the record keeps its stored value.
        cancelPending(ds);
        throw WageError(QStringLiteral("记录保存失败"));
    }
}

void TGxtzForm::BitBtn9Click()
{
    BitBtn9->setEnabled(false);
    wage::Dataset *ds = hostDataset();
    if (userName != wage::administratorName()) {
        wage::prompt().message(QStringLiteral("因调整价格不能恢复且具有风险，系统锁定系统管理员可以使用该功能。"));
        return;
    }
    if (!wage::prompt().question(QStringLiteral("调整价格后不可恢复，此操作有风险，请做好数据备份，确定吗?"), QStringLiteral("提示")))
        return;
    if (!wage::prompt().question(QStringLiteral("确定吗?\r您的调整范围是：\r") + conditionDescription() + QLatin1Char('\r')
                                     + GroupBox6->title() + QStringLiteral("\r注意：审核后的单据不参与调价!"),
                                 QStringLiteral("提示")))
        return;
    double v = 0;
    if (!parseDecimal(Edit2->text(), &v)) {
        wage::prompt().warning(QStringLiteral("数值必须是一个数字，例如 1.25。\r没有调整任何记录。"), QStringLiteral("提示"));
        return;
    }
    if (!ds || !ds->isActive())
        return;
    BatchTransaction batch(connection);
    ProgressPacer pace(m_progress);
    try {
        const bool fixedValue = RadioButton2->isChecked();
        const QString target = adjustableFieldName(ComboBox3->currentText(), true);
        const QString source = fixedValue ? QString() : adjustableFieldName(ComboBox4->currentText(), true);
        const QString op = ComboBox5->currentIndex() < 0 ? QString() : ComboBox5->currentText();
        if (target.isEmpty() || (!fixedValue && source.isEmpty())) {
            wage::prompt().message(QStringLiteral("请选择确认要调整的项目"));
            return;
        }
        const bool ticked = RadioGroup3->itemIndex() == 1;
        const QList<int> rows = ticked ? ds->tickedRows() : QList<int>();
        if (ticked && rows.isEmpty()) {
            wage::prompt().message(QStringLiteral("您没有选中要调整的记录，或者更改调整范围。"));
            return;
        }
        const QString item = ComboBox3->currentText();
        const int total = ticked ? rows.size() : ds->recordCount();
        bool divisionByZero = false;
        ds->disableControls();
        batch.begin();
        for (int i = 0; i < total && !divisionByZero; ++i) {
            const int row = ticked ? rows.at(i) : i;
            if (ticked)
                pace.show(i, total - 1, [&] { return QStringLiteral("正在调整选中的记录%1/%2,稍候……").arg(i).arg(total); });
            else
                pace.show(i + 1, total, [&] { return QStringLiteral("正在调整") + item + QStringLiteral("%1/%2").arg(i + 1).arg(total); });
            if (!ticked && !rowDisplayed(TemDBGridEh, row))
                continue;
            ds->moveTo(row);
            adjustGlobalRecord(target, source, op, v, fixedValue, &divisionByZero);
            if (ds->state() == wage::Dataset::Browse)
                batch.recordPosted();
            if (batch.pending() >= 10000)
                batch.commitAndContinue();
        }
        batch.commit();
        ds->enableControls();
        if (divisionByZero) {
            closeProgress(m_progress);
            MSNPopUp1->Text = QStringLiteral("除数不能为0");
            MSNPopUp1->ShowPopUp();
            return;
        }
        if (!ticked)
            wage::prompt().message(QStringLiteral("成功更新，请不要重复操作。"));
        BitBtn9->setEnabled(true);
    } catch (const std::exception &e) {
        cancelPending(ds);
        try {
            batch.commit();
        } catch (const std::exception &) {
            batch.abandon();
        }
        if (ds->controlsDisabled())
            ds->enableControls();
        closeProgress(m_progress);
        try {
            SetDataSetRefresh(ds);
        } catch (const std::exception &) {
        }
        wage::prompt().warning(QStringLiteral("价格调整没有完成：") + failureText(e) + QStringLiteral("\r已调整")
                                   + QString::number(batch.committed()) + QStringLiteral("条记录，其余记录保持原价。"),
                               QStringLiteral("提示"));
        BitBtn9->setEnabled(true);
    }
}
