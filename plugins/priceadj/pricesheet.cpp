// The price-adjustment sheet F_PriceAdjust: import, paste, template, delete and clear, the
// marking of its lines by the current process list, and its execution line by line through the
// host's records or at once by one statement; the backup of the unit prices.
#include "priceadj/tgxtzform.h"

#include "core/errlog.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "kit/datagrid.h"
#include "kit/disgrid.h"
#include "kit/rights.h"
#include "kit/shellopen.h"
#include "kit/sqlroutines.h"
#include "kit/sysfield.h"
#include "kit/tmyimport.h"
#include "net/alert.h"
#include "priceadj/adjustsql.h"
#include "priceadj/runsupport.h"
#include "progress/tprogress.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QThread>
#include <QToolButton>

using namespace priceadj;

namespace {

const int kLinesPerCommit = 500;
const int kRecordsPerCommit = 1000;
const QString kValid = QStringLiteral("有效");
const QString kNotValid = QStringLiteral("失效");
const QString kDone = QStringLiteral("已调价");

void registerSheetField(int index, const char *name, const QString &caption, const QString &type, int width,
                        const QString &visible, wage::Connection *connection)
{
    SetSysField(index, index, QStringLiteral("F_PriceAdjust"), QStringLiteral("工价调整单"), QString::fromLatin1(name),
                caption, type, width, visible, QStringLiteral("TMyDBEdit"), QStringLiteral("工资管理"), 0, connection);
}

} // namespace

void TGxtzForm::OpenPriceAdjustTable()
{
    if (!TableExists(QStringLiteral("F_PriceAdjust"), connection)) {
        RunSqlCommand(QStringLiteral("Create table F_PriceAdjust (im_no nvarchar(20), ip_no nvarchar(20),ip_name nvarchar(60),"
                                     "ip_gvge nvarchar(20),gsxu_no nvarchar(20),ip_gsxu nvarchar(40),ip_djjw money,"
                                     "Active_state nvarchar(10))"),
                      connection);
        const QString text = QStringLiteral("字符型"), shown = QStringLiteral("显示");
        registerSheetField(0, "im_no", QStringLiteral("im_no"), text, 20, QStringLiteral("隐藏"), connection);
        registerSheetField(1, "ip_no", QStringLiteral("产品编号"), text, 20, shown, connection);
        registerSheetField(2, "ip_name", QStringLiteral("产品名称"), text, 60, shown, connection);
        registerSheetField(3, "ip_gvge", QStringLiteral("产品规格"), text, 20, shown, connection);
        registerSheetField(4, "gsxu_no", QStringLiteral("工序编号"), text, 20, shown, connection);
        registerSheetField(5, "ip_gsxu", QStringLiteral("工序名称"), text, 20, shown, connection);
        registerSheetField(6, "ip_djjw", QStringLiteral("工序单价"), QStringLiteral("货币型"), 4, shown, connection);
        registerSheetField(7, "Active_state", QStringLiteral("状态"), text, 10, shown, connection);
    }
    F_PriceAdjust->setConnection(connection);
    F_PriceAdjust->close();
    F_PriceAdjust->setCommandText(QStringLiteral("select * from F_PriceAdjust"));
    F_PriceAdjust->open();
    DisGrid(QStringLiteral("F_PriceAdjust"), userName, DataSource_Imp, connection, DBGridEh_Imp);
}

void TGxtzForm::BitBtnTClick(int tag)
{
    QPushButton *button = nullptr;
    for (QPushButton *b : {BitBtn15, BitBtn12, BitBtn13, BitBtn14, BitBtn11, BitBtn10, BitBtn4})
        if (b->property("tag").toInt() == tag)
            button = b;
    if (button)
        button->setEnabled(false);
    guarded(windowTitle(), [this, tag] {
        switch (tag) {
        case 15: sheetImport(); break;
        case 12: sheetPaste(); break;
        case 13: sheetExecuteLines(); break;
        case 14: sheetTemplate(); break;
        case 11: sheetDelete(); break;
        case 10: sheetClear(); break;
        case 4: sheetExecuteStatement(); break;
        default: break;
        }
    });
    cancelPending(F_PriceAdjust);
    if (button)
        button->setEnabled(true);
}

void TGxtzForm::refreshSheet()
{
    cancelPending(F_PriceAdjust);
    if (F_PriceAdjust->isActive())
        SetDataSetRefresh(F_PriceAdjust);
    else
        F_PriceAdjust->open();
}

void TGxtzForm::sheetImport()
{
    MyImport1->SetDataSource(DataSource_Imp);
    if (MyImport1->Execute() < 0)
        return;
    ActivateByWorkTable();
}

void TGxtzForm::sheetPaste()
{
    if (!wage::prompt().question(
            QStringLiteral("此功能仅适用于少量数据，大量数据请用导入功能！！！\r\r是否粘贴，此操作会覆盖当前位置数据，\r"
                           "为防止覆盖当前记录，您可以先添加一条空白记录。\r是否继续？"),
            QStringLiteral("提示")))
        return;
    pasteSheetText(QApplication::clipboard()->text());
    F_PriceAdjust->requery();
    ActivateByProcessList();
}

// Spreadsheet cells arrive as tab-separated lines; they fill the visible columns from the first
// one, overwriting lines from the current one on and adding lines after the last.
void TGxtzForm::pasteSheetText(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return;
    QStringList fields;
    for (int c = 0; c < DBGridEh_Imp->columnCount(); ++c) {
        const wage::GridColumn column = DBGridEh_Imp->column(c);
        if (DBGridEh_Imp->isColumnVisible(c) && !column.fieldName.isEmpty())
            fields << column.fieldName;
    }
    BatchTransaction batch(connection);
    batch.begin();
    int row = qMax(0, F_PriceAdjust->currentRow());
    for (const QString &line : lines) {
        const QStringList cells = line.split(QLatin1Char('\t'));
        if (row < F_PriceAdjust->recordCount()) {
            F_PriceAdjust->moveTo(row);
            F_PriceAdjust->edit();
        } else {
            F_PriceAdjust->append();
        }
        for (int i = 0; i < cells.size() && i < fields.size(); ++i) {
            const QString cell = TrimText(cells.at(i));
            F_PriceAdjust->setValue(fields.at(i), cell.isEmpty() ? QVariant() : QVariant(cell));
        }
        try {
            F_PriceAdjust->post();
        } catch (...) {
            cancelPending(F_PriceAdjust);
            throw;
        }
        batch.recordPosted();
        ++row;
    }
    batch.commit();
}

void TGxtzForm::sheetTemplate()
{
    const QString file = wage::prompt().saveFileName(QStringLiteral("保存模板"), QStringLiteral("工价调整单模板.xls"),
                                                     QStringLiteral("xls格式 (*.xls)"));
    if (file.isEmpty())
        return;
    if (!DBGridEh_Imp->exportTo(file, wage::ExportFormat::Xls)) {
        wage::prompt().warning(QStringLiteral("无法写入文件：") + file, QStringLiteral("提示"));
        return;
    }
    AlertMess(QStringLiteral("提示"), QStringLiteral("数据导出完成，") + file);
    wage::shellOpenFile(file);
}

void TGxtzForm::sheetDelete()
{
    const int n = F_PriceAdjust->tickedCount();
    const QString question = n <= 1 ? QStringLiteral("确定要删除吗?")
                                    : QStringLiteral("确定 *批量 删除所选择的\r这") + QString::number(n) + QStringLiteral("条记录吗?");
    if (!wage::prompt().question(question, QStringLiteral("提示")))
        return;
    int deleted = 0, lines = 0;
    try {
        if (n > 1) {
            QList<wage::Bookmark> marks;
            for (int row : F_PriceAdjust->tickedRows()) {
                F_PriceAdjust->moveTo(row);
                marks << F_PriceAdjust->bookmark();
            }
            for (int i = 0; i < marks.size(); ++i) {
                if (m_progress)
                    m_progress->showpress(i, n - 1, QStringLiteral("正在删除选中的记录,稍候……"));
                // A line identical to one deleted before went with it.
                if (!F_PriceAdjust->isEmpty() && F_PriceAdjust->gotoBookmark(marks.at(i))) {
                    deleted += F_PriceAdjust->remove();
                    ++lines;
                }
            }
        } else if (!F_PriceAdjust->isEmpty()) {
            deleted += F_PriceAdjust->remove();
            ++lines;
        }
        F_PriceAdjust->tickAll(false);
    } catch (const std::exception &e) {
        closeProgress(m_progress);
        F_PriceAdjust->tickAll(false);
        refreshSheet();
        wage::prompt().warning(failureText(e) + QStringLiteral("\r\r相同记录会一并删除！"), QStringLiteral("提示"));
        return;
    }
    if (deleted > lines) {
        // Identical lines of this keyless table went together: show the sheet as stored.
        refreshSheet();
        wage::prompt().warning(QStringLiteral("共删除%1条记录。").arg(deleted) + QStringLiteral("\r\r相同记录会一并删除！"),
                               QStringLiteral("提示"));
    }
}

void TGxtzForm::sheetClear()
{
    RunSqlCommand(QStringLiteral("DELETE FROM F_PriceAdjust"), connection);
    refreshSheet();
    GridColumnWidths(QStringLiteral("temp_tzimp"), DBGridEh_Imp, 0);
}

void TGxtzForm::markSheetLinesInvalid()
{
    RunSqlCommand(QStringLiteral("update F_PriceAdjust set active_state='失效'"), connection);
}

void TGxtzForm::showFirstSheetLine()
{
    refreshSheet();
    GridColumnWidths(QStringLiteral("temp_tzimp"), DBGridEh_Imp, 0);
    if (F_PriceAdjust->isEmpty())
        return;
    F_PriceAdjust->first();
    ShowProcessRecords(TrimText(F_PriceAdjust->value(QStringLiteral("gsxu_no")).toString()));
}

void TGxtzForm::ActivateByProcessList()
{
    if (ADOQuery1->isActive() && !ADOQuery1->isEmpty()) {
        BatchTransaction batch(connection);
        batch.begin();
        markSheetLinesInvalid();
        const int column = ADOQuery1->fieldIndex(QStringLiteral("工序编号"));
        for (int row = 0; row < ADOQuery1->recordCount() && column >= 0; ++row)
            RunSqlCommand(QStringLiteral("update  F_PriceAdjust set active_state='有效' where ")
                              + processPredicate(TrimText(ADOQuery1->value(row, column).toString())),
                          connection);
        batch.commit();
    }
    showFirstSheetLine();
}

void TGxtzForm::ActivateByWorkTable()
{
    if (scratchTable.isEmpty())
        return;
    if (connection->dialect() == wage::Dialect::Access) {
        // Jet has no UPDATE ... FROM: the process list marks the lines one process at a time.
        ActivateByProcessList();
        return;
    }
    markSheetLinesInvalid();
    RunSqlCommand(QStringLiteral("update  F_PriceAdjust set active_state='有效' From ") + scratchTable
                      + QStringLiteral(" where rtrim(F_PriceAdjust.gsxu_no)=") + scratchTable + QStringLiteral(".工序编号"),
                  connection);
    showFirstSheetLine();
}

void TGxtzForm::sheetExecuteLines()
{
    if (F_PriceAdjust->isEmpty()) {
        wage::prompt().message(QStringLiteral("调价单为空，不能执行。"));
        return;
    }
    if (Checkfunc(userName, QStringLiteral("f_jijm"), QStringLiteral("修改"), connection))
        return;
    QString desc = TrimText(conditionDescription());
    if (ComboBox2->currentIndex() < 0) {
        wage::prompt().message(QStringLiteral("请选择确认要调整的项目"));
        return;
    }
    if (desc.isEmpty())
        desc = QStringLiteral("所有记录！");
    if (!wage::prompt().question(QStringLiteral("确定调整") + ComboBox2->currentText() + QStringLiteral("吗？\r调整范围：\r\r")
                                     + desc,
                                 QStringLiteral("提示")))
        return;
    m_stop = false;
    m_sheetScope = TrimText(Getmodwhere(userName, QStringLiteral("f_jijm"), connection));
    m_sheetField = adjustableFieldName(ComboBox2->currentText(), false);
    BatchTransaction batch(connection);
    m_sheetBatch = &batch;
    // The record grids are reset once at the end rather than for every line.
    ControlsOff still(hostDataset());
    ProgressPacer pace(m_progress);
    m_sheetPace = &pace;
    int counted = 0;
    QString shownProcess;
    const int stateColumn = F_PriceAdjust->fieldIndex(QStringLiteral("Active_state"));
    try {
        batch.begin();
        for (int line = qMax(0, F_PriceAdjust->currentRow()); line < F_PriceAdjust->recordCount(); ++line) {
            if (m_stop)
                break;
            F_PriceAdjust->moveTo(line);
            // Exactly "有效": a state with a trailing blank is not a valid line.
            if (F_PriceAdjust->value(line, stateColumn).toString() == kValid) {
                try {
                    const QString p = TrimText(F_PriceAdjust->value(QStringLiteral("gsxu_no")).toString());
                    // Never the previous line's records under this line's price.
                    shownProcess = p;
                    if (!ShowProcessRecords(p))
                        throw WageError(QStringLiteral("工序%1的记录无法读取").arg(p));
                    ApplySheetLine(p, desc);
                    F_PriceAdjust->setValue(QStringLiteral("Active_state"), kDone);
                    F_PriceAdjust->post();
                    ++counted;
                } catch (const wage::DbError &) {
                    throw;   // the database itself failed: the run ends below
                } catch (const std::exception &e) {
                    cancelPending(F_PriceAdjust);
                    try {
                        WriteErrLog(failureText(e));
                    } catch (const std::exception &) {
                    }
                }
            }
            if (counted >= kLinesPerCommit) {
                AlertMess(QStringLiteral("调整工价"), QStringLiteral("批量提交中，正等待服务器处理，50ms后继续。"));
                batch.commit();
                QThread::msleep(50);
                batch.begin();
                counted = 0;
            }
        }
        batch.commit();
    } catch (const std::exception &e) {
        // Records are posted one by one, so each holds its old or its new price; what the
        // database took before the failure is kept.
        m_sheetBatch = nullptr;
        m_sheetPace = nullptr;
        cancelPending(F_PriceAdjust);
        cancelPendingHostEdit();
        try {
            batch.commit();
        } catch (const std::exception &) {
            batch.abandon();
        }
        closeProgress(m_progress);
        SpeedButton1->hide();
        try {
            refreshSheet();
            if (wage::Dataset *ds = hostDataset())
                SetDataSetRefresh(ds);
        } catch (const std::exception &) {
        }
        refillPriceListsAfterRun(shownProcess);
        wage::prompt().warning(QStringLiteral("调价单没有执行完：") + failureText(e) + QStringLiteral("\r已更新")
                                   + QString::number(batch.committed()) + QStringLiteral("条记录。"),
                               QStringLiteral("提示"));
        return;
    }
    m_sheetBatch = nullptr;
    m_sheetPace = nullptr;
    refillPriceListsAfterRun(shownProcess);
    closeProgress(m_progress);
    SpeedButton1->hide();
    if (m_stop)
        return;
    wage::prompt().message(QStringLiteral("导入的调价单已经执行完毕！"));
}

void TGxtzForm::ApplySheetLine(const QString &processNo, const QString &desc)
{
    const QString field = m_sheetBatch ? m_sheetField : adjustableFieldName(ComboBox2->currentText(), false);
    const QString price = TrimText(F_PriceAdjust->value(QStringLiteral("ip_djjw")).toString());
    // A line without a price would empty the records and break the base-data statement.
    if (!parseDecimal(price, nullptr)) {
        AlertMess(QStringLiteral("调整工价"), QStringLiteral("工序") + processNo + QStringLiteral("的单价不是数字，这一行没有执行。"));
        throw WageError(QStringLiteral("工序%1的单价无效：%2").arg(processNo, price));
    }
    if (CheckBox1->isChecked() && CanSyncBaseData(processNo))
        RunSqlCommand(QStringLiteral("update f_ipgx set ") + field + QLatin1Char('=') + price + QStringLiteral(" where gsxu_no='")
                          + wage::sqlQuote(processNo) + QLatin1Char('\''),
                      connection);
    SpeedButton1->show();
    m_stop = false;
    int changed = 0, sinceCommit = 0;
    wage::Dataset *ds = hostDataset();
    if (!ds || !ds->isActive())
        return;
    BatchTransaction own(connection);
    BatchTransaction *batch = m_sheetBatch ? m_sheetBatch : &own;
    batch->begin();
    const wage::Field target = ds->fieldByName(field);
    const int lockedField = ds->fieldIndex(QStringLiteral("locked"));
    ProgressPacer ownPace(m_progress);
    ProgressPacer &pace = m_sheetPace ? *m_sheetPace : ownPace;
    const int total = ds->recordCount();
    {
        ControlsOff still(ds);
        for (int row = qMax(0, ds->currentRow()); row < total; ++row) {
            try {
                if (lockedField >= 0 && TrimText(ds->value(row, lockedField).toString()).isEmpty()) {
                    ds->moveTo(row);
                    ds->edit();
                    target.setAsString(price);
                    ds->post();
                    batch->recordPosted();
                    const auto text = [&] {
                        return QStringLiteral("调整范围:") + desc + QStringLiteral("\r当前调整：") + processNo
                               + QStringLiteral(" 进度:%1/%2").arg(row + 1).arg(total);
                    };
                    if (m_sheetPace)
                        pace.showOpen(row + 1, total, text);
                    else
                        pace.show(row + 1, total, text);
                    ++changed;
                    ++sinceCommit;
                }
            } catch (const std::exception &e) {
                cancelPending(ds);
                if (!recordVanished(e))
                    throw;
                AlertMess(QStringLiteral("调整工价"),
                          QStringLiteral("记录ID=") + processNo + QStringLiteral("更新失败：") + failureText(e));
            }
            if (m_stop)
                break;
            if (sinceCommit >= kRecordsPerCommit) {
                pace.showNow(row + 1, total + 1, QStringLiteral("批量提交中，正等待服务器处理，5秒后继续。"));
                batch->commitAndContinue();
                sinceCommit = 0;
            }
        }
    }
    if (batch == &own) {
        batch->commit();
        closeProgress(m_progress);
    }
    AlertMess(QStringLiteral("调整工价"), QStringLiteral("产品工序：%1 ，记录更新 %2 ").arg(processNo).arg(changed));
}

void TGxtzForm::refillPriceListsAfterRun(const QString &processNo)
{
    if (processNo.isEmpty() || connection->dialect() == wage::Dialect::Access)
        return;
    // The run has already said how it ended: a list that cannot be read is only logged.
    try {
        refillPriceLists(processNo);
    } catch (const std::exception &e) {
        try {
            WriteErrLog(failureText(e));
        } catch (const std::exception &) {
        }
    }
}

bool TGxtzForm::CanSyncBaseData(const QString &processNo)
{
    const QString p = wage::sqlQuote(processNo);
    if (!GetSqlStr(QStringLiteral("select locked from f_ipgx where rtrim(gsxu_no)='") + p + QLatin1Char('\''), connection)
             .isEmpty()) {
        AlertMess(QStringLiteral("提示"), processNo + QStringLiteral("该工序已经审核，无法修改单价，请取消同步调整或者取消审核"));
        return false;
    }
    const QString product = QStringLiteral("(select ip_id from f_ipgx where rtrim(gsxu_no)='") + p + QStringLiteral("')");
    if (!GetSqlStr(QStringLiteral("select locked from f_ijpn where ip_id=") + product, connection).isEmpty()) {
        const QString productNo = GetSqlStr(QStringLiteral("select ip_no from f_ijpn where ip_id=") + product, connection);
        AlertMess(QStringLiteral("提示"), productNo + QStringLiteral("该产品已经审核，无法修改产品相关工序，请取消同步调整或者取消审核"));
        return false;
    }
    return !Checkfunc(userName, QStringLiteral("f_ipgx"), QStringLiteral("修改"), connection);
}

void TGxtzForm::addRecordColumns(bool withDate)
{
    const auto add = [this](const QString &column, const QString &type, int index, const QString &caption,
                            const QString &kind) {
        if (GetFieldExistCon(QStringLiteral("f_jijm"), column, connection))
            return;
        RunSqlCommand(QStringLiteral("alter table f_jijm add ") + column + QLatin1Char(' ') + type, connection);
        SetSysField(index, index, QStringLiteral("f_jijm"), QStringLiteral("计件工资"), column, caption, kind, 10,
                    QStringLiteral("不激活"), QStringLiteral("TMyDBEdit"), QStringLiteral("工资管理"), 0, connection);
    };
    if (withDate)
        add(QStringLiteral("TJ_RiQi"), QStringLiteral("date"), 50, QStringLiteral("调价日期"), QStringLiteral("日期型"));
    add(QStringLiteral("YS_DJJW"), QStringLiteral("money"), 51, QStringLiteral("原始单价"), QStringLiteral("货币型"));
}

void TGxtzForm::sheetExecuteStatement()
{
    ActivateByProcessList();
    if (connection->dialect() == wage::Dialect::Access)
        return;
    if (F_PriceAdjust->isEmpty()) {
        wage::prompt().message(QStringLiteral("调价单为空，不能执行。"));
        return;
    }
    if (Checkfunc(userName, QStringLiteral("f_jijm"), QStringLiteral("修改"), connection))
        return;
    addRecordColumns(true);
    QString desc = TrimText(conditionDescription());
    if (desc.isEmpty())
        desc = QStringLiteral("所有记录！");
    if (!wage::prompt().question(QStringLiteral("确定调整") + ComboBox2->currentText() + QStringLiteral("吗？\r调整范围：\r\r")
                                     + desc,
                                 QStringLiteral("提示")))
        return;
    const QString cond = conditionText();
    QString sql = QStringLiteral("update F_jijm set ip_djjw= F_PriceAdjust.ip_djjw,TJ_RiQi=getdate() from F_PriceAdjust where  "
                                 "F_PriceAdjust.Active_state='有效'  and F_jijm.gsxu_no=F_PriceAdjust.gsxu_no ");
    if (!cond.isEmpty())
        sql += QStringLiteral("and ") + cond;
    if (m_progress)
        m_progress->showpress(1, 5, QStringLiteral("单价已更新"));
    // A price change that did not happen must not be reported as done.
    try {
        connection->execute(sql, {}, 0);
    } catch (const std::exception &e) {
        closeProgress(m_progress);
        wage::prompt().warning(QStringLiteral("调价失败，没有更新任何记录：") + failureText(e), QStringLiteral("提示"));
        return;
    }
    const QStringList assignments = FormulaAssignments(QStringLiteral("f_jijm"));
    for (int i = 0; i < assignments.size(); ++i) {
        const QString name = getsub(assignments.at(i), QStringLiteral("="), QStringLiteral("left"));
        const QString caption = GetSqlStr(QStringLiteral("select field_caption from f_system where table_name='f_jijm' and field_name='")
                                              + wage::sqlQuote(name) + QLatin1Char('\''),
                                          connection);
        if (m_progress && assignments.size() > 1)
            m_progress->showpress(i, assignments.size() - 1, caption + QStringLiteral(" 计算中...."));
        RunSqlCommand(QStringLiteral("update F_jijm set ") + assignments.at(i)
                          + (cond.isEmpty() ? QString() : QStringLiteral(" where ") + cond),
                      connection);
    }
    if (m_progress)
        m_progress->showpress(5, 5, QStringLiteral("单价已更新"));
    RunSqlCommand(QStringLiteral("Update F_PriceAdjust  set Active_state='已调价' where  Active_state='有效'"), connection);
    refreshSheet();
    const int n = GetSqli(QStringLiteral("select count(*) from f_jijm where  TJ_RiQi = CAST(GETDATE() AS DATE) "), connection);
    wage::prompt().message(QStringLiteral("调价完成，更新记录：%1 条 \r\r  退出本模块后数据刷新。").arg(n));
}

// Each computed column of the table as "column=expression", the expression's field captions
// replaced by column names, longer captions first so that a caption holding a shorter one
// stays whole. Names and captions (and targets and formulas) are read as pairs in one query
// each, so that rows of equal length or index cannot be paired with the wrong partner.
QStringList TGxtzForm::FormulaAssignments(const QString &table)
{
    const wage::QueryResult fields = connection->query(
        QStringLiteral("select field_Name, field_Caption from f_system where table_name='f_jijm' order by   "
                       "LEN(LTRIM(RTRIM(Field_caption))) desc"));
    const wage::QueryResult computed = connection->query(
        QStringLiteral("select field_Name, field_jsgs from f_system where table_name='") + wage::sqlQuote(table)
        + QStringLiteral("' and field_jsgs is not null order by FIELD_INDEX"));
    QStringList out;
    for (const QVariantList &row : computed.rows) {
        QString a = row.value(0).toString() + QLatin1Char('=') + row.value(1).toString();
        for (const QVariantList &f : fields.rows) {
            const QString caption = f.value(1).toString();
            if (!caption.isEmpty())
                a = ReplaceStr(a, caption, f.value(0).toString());
        }
        out << a;
    }
    return out;
}

void TGxtzForm::BitBtn16Click()
{
    guarded(windowTitle(), [this] {
        if (!wage::prompt().question(
                QStringLiteral("单价备份只能是在调价前，确定要备份吗？如果已备份过，会覆盖之前的数据。"), QStringLiteral("提示")))
            return;
        addRecordColumns(false);
        const QString cond = conditionText();
        RunSqlCommand(cond.isEmpty() ? QStringLiteral("update F_jijm set YS_djjw= ip_djjw ")
                                     : QStringLiteral("update F_jijm set YS_djjw= ip_djjw where  ") + cond,
                      connection);
    });
}
