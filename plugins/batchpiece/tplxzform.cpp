#include "batchpiece/tplxzform.h"

#include "contract/hostobjects.h"
#include "core/appdir.h"
#include "core/config.h"
#include "core/errlog.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "core/handlerguard.h"
#include "kit/lookup.h"
#include "kit/sqlroutines.h"
#include "kit/tmsnpopup.h"
#include "kit/tradiogroup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardItemModel>
#include <QToolButton>
#include <QVBoxLayout>

#include <dlfcn.h>

namespace {

const QString kSearchPrompt = QStringLiteral("在此录入编号、简拼、姓名");

// The calculation functions of Alert.dll, as that library exports them (C linkage).
using GetdataLimitFn = bool (*)(wage::Dataset *, const char *, wage::Connection *);
using GetCalculateFn = void (*)(wage::Dataset *, const wage::Field *, const char *, wage::Connection *);

struct AlertFunctions {
    GetdataLimitFn limit = nullptr;
    GetCalculateFn calculate = nullptr;
};

// Loaded from the program directory each time, never unloaded.
AlertFunctions loadAlert()
{
    AlertFunctions f;
    const QString path = wage::programFile(QStringLiteral("Alert.dll"));
    if (!QFileInfo(path).isFile())
        return f;
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        try {
            wage::WriteTimedLog(QStringLiteral("Alert.dll 无法加载：") + QString::fromLocal8Bit(dlerror()));
        } catch (...) {
        }
        return f;
    }
    f.limit = reinterpret_cast<GetdataLimitFn>(dlsym(handle, "GetdataLimit"));
    f.calculate = reinterpret_cast<GetCalculateFn>(dlsym(handle, "Get_calculate"));
    return f;
}

} // namespace

TPlxzForm::TPlxzForm(QWidget *parent) : wage::PluginForm(parent)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    body()->addLayout(row, 1);
    auto *group = new QGroupBox(QStringLiteral("请选择要更新的人员"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setFixedWidth(185);
    row->addWidget(group);
    row->addStretch(1);
    auto *column = new QVBoxLayout(group);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);

    auto *bar = new QHBoxLayout;
    RadioGroup2 = new TRadioGroup(QStringLiteral("排序方式"), {QStringLiteral("编号"), QStringLiteral("姓名")}, 2, group);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    SpeedButton1 = new QToolButton(group);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("批增"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setMinimumHeight(36);
    bar->addWidget(RadioGroup2, 1);
    bar->addWidget(SpeedButton1);
    column->addLayout(bar);

    auto *searchBox = new QGroupBox(QStringLiteral("快速查找："), group);
    searchBox->setObjectName(QStringLiteral("GroupBox2"));
    auto *searchLayout = new QVBoxLayout(searchBox);
    searchLayout->setContentsMargins(2, 2, 2, 2);
    Edit1 = new QLineEdit(kSearchPrompt, searchBox);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setToolTip(QStringLiteral("在此录入编号、简拼、姓名，可快速定位。"));
    Edit1->installEventFilter(this);
    searchLayout->addWidget(Edit1);
    column->addWidget(searchBox);

    HeaderControl2 = new QHeaderView(Qt::Horizontal, group);
    HeaderControl2->setObjectName(QStringLiteral("HeaderControl2"));
    auto *sections = new QStandardItemModel(0, 3, HeaderControl2);
    sections->setHorizontalHeaderLabels({QStringLiteral("全选"), QStringLiteral("全不选"), QStringLiteral("反向选择")});
    HeaderControl2->setModel(sections);
    HeaderControl2->setSectionsClickable(true);
    HeaderControl2->setSectionResizeMode(QHeaderView::Fixed);
    HeaderControl2->resizeSection(0, 50);
    HeaderControl2->resizeSection(1, 60);
    HeaderControl2->resizeSection(2, 64);
    HeaderControl2->setFixedHeight(HeaderControl2->sizeHint().height());
    column->addWidget(HeaderControl2);

    CheckListBox1 = new QListWidget(group);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    CheckListBox1->setUniformItemSizes(true);
    column->addWidget(CheckListBox1, 1);

    MSNPopUp1 = new TMSNPopUp(this);
    MSNPopUp1->setObjectName(QStringLiteral("MSNPopUp1"));
    MSNPopUp1->resize(200, 121);
    MSNPopUp1->ScrollSpeed = 9;
    MSNPopUp1->URL = wage::VendorConfig::baseUrl();

    connect(RadioGroup2, &TRadioGroup::Click, this, &TPlxzForm::RadioGroup2Click);
    connect(HeaderControl2, &QHeaderView::sectionClicked, this, &TPlxzForm::HeaderControl2SectionClick);
    connect(Edit1, &QLineEdit::textChanged, this, &TPlxzForm::Edit1Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TPlxzForm::SpeedButton1Click);
}

bool TPlxzForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit1) {
        if (event->type() == QEvent::FocusIn)
            Edit1->clear();
        else if (event->type() == QEvent::FocusOut)
            Edit1->setText(kSearchPrompt);
    }
    return wage::PluginForm::eventFilter(watched, event);
}

void TPlxzForm::FillWorkers()
{
    fill(QStringLiteral("select ry_no+','+ry_name from f_rfyr order by ry_name"));
}

void TPlxzForm::fill(const QString &sql)
{
    CheckListBox1->clear();
    m_workers.clear();
    QStringList rows;
    try {
        // A database without workers gives an empty list; only a failing query is logged.
        if (!TableExists(QStringLiteral("f_rfyr"), connection))
            return;
        rows = GetSqlList(sql, connection);
    } catch (const std::exception &e) {
        try {
            wage::WriteTimedLog(QStringLiteral("批量新增：读取人员失败 ") + QString::fromUtf8(e.what()));
        } catch (...) {
        }
        return;
    }
    m_workers.reserve(rows.size());
    CheckListBox1->setUpdatesEnabled(false);
    for (const QString &text : rows) {
        auto *item = new QListWidgetItem(text);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        CheckListBox1->addItem(item);
        m_workers.append(batchpiece::workerItem(text));
    }
    CheckListBox1->setUpdatesEnabled(true);
}

void TPlxzForm::RadioGroup2Click()
{
    if (RadioGroup2->ItemIndex() == 0)
        fill(QStringLiteral("select ry_no+','+ry_name from f_rfyr order by ry_no"));
    else if (RadioGroup2->ItemIndex() == 1)
        fill(QStringLiteral("select ry_no+','+ry_name from f_rfyr order by ry_name"));
}

void TPlxzForm::HeaderControl2SectionClick(int section)
{
    CheckListBox1->setUpdatesEnabled(false);
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        QListWidgetItem *item = CheckListBox1->item(i);
        const bool ticked = item->checkState() == Qt::Checked;
        const bool next = section == 0 ? true : section == 1 ? false : !ticked;
        if (next != ticked)
            item->setCheckState(next ? Qt::Checked : Qt::Unchecked);
    }
    CheckListBox1->setUpdatesEnabled(true);
}

void TPlxzForm::Edit1Change()
{
    const int row = batchpiece::findWorker(m_workers, Edit1->text());
    if (row >= 0)
        CheckListBox1->setCurrentRow(row);
}

void TPlxzForm::SpeedButton1Click()
{
    QString failure;
    BatchOutcome outcome = BatchOutcome::NotStarted;
    if (!wage::guardHandler(QStringLiteral("提示"), [&] { outcome = addBatch(&failure); }))
        return;
    if (outcome == BatchOutcome::Undone)
        wage::prompt().warning(failure, QStringLiteral("提示"));
    else if (outcome == BatchOutcome::Done)
        MSNPopUp1->ShowPopUp(QStringLiteral("提示："), QStringLiteral(" 批量更新完成。"));
}

TPlxzForm::BatchOutcome TPlxzForm::addBatch(QString *failure)
{
    const AlertFunctions alert = loadAlert();
    auto *source = wage::findHostObjectAs<wage::DataSource>(hostWindow, QStringLiteral("datasource1"));
    wage::Dataset *d = source ? source->dataSet() : nullptr;
    auto *newButton = wage::findHostObjectAs<QAbstractButton>(hostWindow, QStringLiteral("ToolButton1"));
    auto *saveButton = wage::findHostObjectAs<QAbstractButton>(hostWindow, QStringLiteral("ToolButton3"));
    wage::Connection *c = connection;
    if (!d || !c || !newButton || !saveButton)
        return BatchOutcome::NotStarted;
    if (!d->isActive() || d->isEmpty()) {
        wage::prompt().warning(QStringLiteral("请先在列表中选择一条记录作为批量新增的依据。"), QStringLiteral("提示"));
        return BatchOutcome::NotStarted;
    }
    d->checkBrowseMode();
    const QString question = QStringLiteral("确定以") + d->findField(QStringLiteral("riqi")).asString()
                             + QStringLiteral(" \"") + d->findField(QStringLiteral("ry_name")).asString()
                             + QStringLiteral("\" 的\r计件产量为依据连续新增吗?");
    if (!wage::prompt().question(question, QStringLiteral("提示")))
        return BatchOutcome::Cancelled;

    // The template: the current record's values of the copied fields, as text.
    QList<QPair<QString, QString>> copied;
    for (const QString &name :
         GetSqlList(QStringLiteral("select field_name from f_system where table_name='f_juar' and field_name<>'ry_no' and "
                                   "field_name<>'ry_name' and field_visible<>'隐藏' order by field_index"),
                    c)) {
        const wage::Field f = d->findField(TrimText(name));
        if (f.isValid() && f.name().compare(QLatin1String("dj_no"), Qt::CaseInsensitive) != 0)
            copied.append({f.name(), f.asString()});
    }
    const wage::Bookmark templateMark = d->bookmark();
    const QByteArray table = QByteArrayLiteral("f_juar");
    // The worker lookup is read once for the whole batch, not once per worker.
    wage::KeyLookup workerLookup(QStringLiteral("ry_name"), QStringLiteral("f_juar"), c);

    // All ticked workers or none: the records go in one transaction, undone on any failure.
    const bool ownTransaction = !c->inTransaction();
    if (ownTransaction)
        c->beginTransaction();
    QString reason;
    QString worker;
    try {
        for (int i = 0; i < CheckListBox1->count(); ++i) {
            QListWidgetItem *item = CheckListBox1->item(i);
            CheckListBox1->setCurrentRow(i);
            if (item->checkState() != Qt::Checked)
                continue;
            const batchpiece::WorkerItem &w = m_workers.at(i);
            worker = w.number + QLatin1Char(' ') + w.name;
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            newButton->click();
            if (d->state() != wage::Dataset::Insert) {
                reason = QStringLiteral("主程序未能新增记录。");
                break;
            }
            for (const auto &value : copied) {
                const wage::Field f = d->fieldByName(value.first);
                if (value.second.isEmpty())
                    f.clear();
                else
                    f.setValue(value.second);
            }
            if (!workerLookup.fill(w.number, d)) {
                // No lookup for the worker: the record still takes the ticked worker.
                if (d->findField(QStringLiteral("ry_no")).isValid())
                    d->setValue(QStringLiteral("ry_no"), w.number);
                if (d->findField(QStringLiteral("ry_name")).isValid())
                    d->setValue(QStringLiteral("ry_name"), w.name);
            }
            if (alert.limit && alert.limit(d, table.constData(), c)) {
                reason = QStringLiteral("已达到允许的记录数上限。");
                break;
            }
            d->edit();
            if (alert.calculate) {
                for (int k = 0; k < d->fieldCount(); ++k) {
                    const wage::Field f = d->field(k);
                    try {
                        alert.calculate(d, &f, table.constData(), c);
                    } catch (const std::exception &e) {
                        wage::prompt().error(QString::fromUtf8(e.what()), QStringLiteral("提示"));
                        break;
                    }
                    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                }
            }
            d->post();
            saveButton->click();
            if (d->state() != wage::Dataset::Browse) {
                reason = QStringLiteral("记录未能保存。");
                break;
            }
        }
    } catch (const std::exception &e) {
        reason = QString::fromUtf8(e.what());
    }
    if (reason.isEmpty()) {
        try {
            if (ownTransaction)
                c->commit();
            return BatchOutcome::Done;
        } catch (const std::exception &e) {
            reason = QString::fromUtf8(e.what());
        }
    }
    // Undo everything: the database, the host's pending record and its rows.
    try {
        if (d->state() != wage::Dataset::Browse)
            d->cancel();
    } catch (...) {
    }
    try {
        if (ownTransaction && c->inTransaction())
            c->rollback();
    } catch (...) {
    }
    try {
        d->requery();
        d->gotoBookmark(templateMark);
    } catch (...) {
    }
    *failure = QStringLiteral("批量新增在人员“%1”处停止：%2\r本次批量新增已全部撤销，没有新增任何记录。").arg(worker, reason);
    try {
        wage::WriteTimedLog(QString(*failure).replace(QLatin1Char('\r'), QLatin1Char(' ')));
    } catch (...) {
    }
    return BatchOutcome::Undone;
}
