#include "pieceopt/tjjxxform.h"

#include "contract/hostrestart.h"

#include "contract/hostobjects.h"
#include "core/appdir.h"
#include "core/errlog.h"
#include "core/prompt.h"
#include "core/strutil.h"
#include "db/datasource.h"
#include "db/dbroutines.h"
#include "core/handlerguard.h"
#include "kit/htmlhelp.h"
#include "kit/sysfield.h"
#include "kit/tradiogroup.h"
#include "net/alert.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QToolButton>

using wage::Connection;

namespace {

QString q(const QString &value)
{
    return wage::sqlQuote(value);
}

bool isMsSql(Connection *c)
{
    return c && c->dialect() == wage::Dialect::MsSql;
}

// A day count the opening query can take: digits only, so that nothing else reaches the SQL.
bool isWholeDayCount(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    return digits.match(text).hasMatch();
}

} // namespace

TJJXXForm::TJJXXForm(QWidget *parent) : wage::PluginForm(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto *grid = new QGridLayout;
    grid->setContentsMargins(8, 8, 8, 4);
    grid->setHorizontalSpacing(10);
    body()->addLayout(grid, 1);

    // Data opening mode, with the day count beside its first item.
    RadioGroup0 = new TRadioGroup(QStringLiteral("数据打开模式"),
                                  {QStringLiteral("打开近"), QStringLiteral("打开本月数据"), QStringLiteral("打开所有数据")},
                                  1, this);
    RadioGroup0->setObjectName(QStringLiteral("RadioGroup0"));
    {
        QRadioButton *first = RadioGroup0->button(0);
        RadioGroup0->grid()->removeWidget(first);
        auto *row = new QHBoxLayout;
        row->setSpacing(2);
        row->addWidget(first);
        Edit1 = new QLineEdit(QStringLiteral("30"), RadioGroup0);
        Edit1->setObjectName(QStringLiteral("Edit1"));
        Edit1->setFixedWidth(40);
        row->addWidget(Edit1);
        row->addWidget(new QLabel(QStringLiteral("天的数据"), RadioGroup0));
        row->addStretch();
        RadioGroup0->grid()->addLayout(row, 0, 0);
    }
    BitBtn1 = new QPushButton(QStringLiteral("应用"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    auto *col0 = new QVBoxLayout;
    col0->addWidget(RadioGroup0);
    col0->addWidget(BitBtn1, 0, Qt::AlignRight);

    // Order mode.
    auto *orderBox = new QGroupBox(QStringLiteral("订单应用模式"), this);
    orderBox->setObjectName(QStringLiteral("GroupBox2"));
    auto *orderLayout = new QVBoxLayout(orderBox);
    CheckBox2 = new QCheckBox(QStringLiteral("启用订单模式"), orderBox);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox3 = new QCheckBox(QStringLiteral("严格按工序顺序计件"), orderBox);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    BitBtn3 = new QPushButton(QStringLiteral("应用"), orderBox);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    orderLayout->addWidget(CheckBox2);
    orderLayout->addWidget(CheckBox3);
    orderLayout->addWidget(BitBtn3, 0, Qt::AlignRight);
    col0->addWidget(orderBox);
    col0->addStretch();
    grid->addLayout(col0, 0, 0);

    auto *col1 = new QVBoxLayout;
    RadioGroup1 = new TRadioGroup(QStringLiteral("订单控制方式"),
                                  {QStringLiteral("产品控制"), QStringLiteral("规格控制"), QStringLiteral("生产批次控制")}, 1, this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setVisible(false);
    col1->addWidget(RadioGroup1);
    CheckBox5 = new QCheckBox(QStringLiteral("启用日薪监控"), this);
    CheckBox5->setObjectName(QStringLiteral("CheckBox5"));
    col1->addWidget(CheckBox5);
    auto *sourceRow = new QHBoxLayout;
    CheckBox6 = new QCheckBox(QStringLiteral("计件人员从出勤表中提取"), this);
    CheckBox6->setObjectName(QStringLiteral("CheckBox6"));
    BitBtn2 = new QPushButton(QStringLiteral("应用"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    sourceRow->addWidget(CheckBox6);
    sourceRow->addWidget(BitBtn2);
    sourceRow->addStretch();
    col1->addLayout(sourceRow);
    CheckBox4 = new QCheckBox(QStringLiteral("启用超额奖励"), this);
    CheckBox4->setObjectName(QStringLiteral("CheckBox4"));
    col1->addWidget(CheckBox4);
    col1->addStretch();
    grid->addLayout(col1, 0, 1);

    auto *col2 = new QVBoxLayout;
    Price_mode = new TRadioGroup(QStringLiteral("计价策略执行方式"),
                                 {QStringLiteral("不执行"), QStringLiteral("按月"), QStringLiteral("按天")}, 3, this);
    Price_mode->setObjectName(QStringLiteral("Price_mode"));
    Price_type = new TRadioGroup(QStringLiteral("计价策略累进方式"),
                                 {QStringLiteral("全额累进"), QStringLiteral("超额累进")}, 2, this);
    Price_type->setObjectName(QStringLiteral("Price_type"));
    Price_type->setItemIndex(0);
    Price_type->setVisible(false);
    CheckBox1 = new QCheckBox(QStringLiteral("执行计价策略时提醒"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setVisible(false);
    CheckBox7 = new QCheckBox(QStringLiteral("当日多任务时关闭计价策略"), this);
    CheckBox7->setObjectName(QStringLiteral("CheckBox7"));
    CheckBox7->setVisible(false);
    col2->addWidget(Price_mode);
    col2->addWidget(Price_type);
    col2->addWidget(CheckBox1);
    col2->addWidget(CheckBox7);
    col2->addStretch();
    grid->addLayout(col2, 0, 2);

    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(8, 0, 4, 4);
    auto *note = new QLabel(QStringLiteral("本页设置重新进入模块生效"), this);
    note->setObjectName(QStringLiteral("Label3"));
    note->setStyleSheet(QStringLiteral("color: red;"));
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("功能介绍--帮助"));
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("保存设置"));
    bottom->addWidget(note);
    bottom->addStretch();
    bottom->addWidget(SpeedButton1);
    bottom->addWidget(SpeedButton2);
    body()->addLayout(bottom);

    connect(BitBtn1, &QPushButton::clicked, this, &TJJXXForm::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TJJXXForm::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TJJXXForm::BitBtn3Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TJJXXForm::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TJJXXForm::SpeedButton2Click);
    connect(Price_mode, &TRadioGroup::Click, this, &TJJXXForm::Price_modeClick);
    connect(RadioGroup0, &TRadioGroup::Click, this, &TJJXXForm::RadioGroup0Click);
    connect(RadioGroup1, &TRadioGroup::Click, this, &TJJXXForm::RadioGroup1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TJJXXForm::CheckBox2Click);

    // The window sees the keys first: Enter and Down go to the next control, Up to the previous.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    resize(680, 312);
}

bool TJJXXForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down)
            focusNextPrevChild(true);
        else if (key == Qt::Key_Up)
            focusNextPrevChild(false);
    }
    return wage::PluginForm::eventFilter(watched, event);
}

void TJJXXForm::closeEvent(QCloseEvent *event)
{
    appliedQuery.clear();
    wage::PluginForm::closeEvent(event);
}

void TJJXXForm::LoadSwitches()
{
    Connection *c = connection;
    if (!c)
        return;
    try {
        if (GetSqli(QStringLiteral("select count(*) from tempconfig where key_name='jijmopen_mode'"), c) > 0) {
            RadioGroup0->setItemIndex(wage::readSwitch(c, QStringLiteral("jijmopen_mode")));
            if (GetSqli(QStringLiteral("select count(*) from tempconfig where key_name='jijmopen_day'"), c) > 0)
                Edit1->setText(QString::number(wage::readSwitch(c, QStringLiteral("jijmopen_day"))));
        }
        CheckBox1->setChecked(wage::readSwitch(c, QStringLiteral("Price_Mess")) == 1);
        CheckBox2->setChecked(wage::readSwitch(c, QStringLiteral("dingdan_mode")) == 1);
        CheckBox3->setChecked(wage::readSwitch(c, QStringLiteral("process_mode")) == 1);
        CheckBox5->setChecked(wage::readSwitch(c, QStringLiteral("Salary_mode")) == 1);
        CheckBox4->setChecked(wage::readSwitch(c, QStringLiteral("Reward_mode")) == 1);
        CheckBox7->setChecked(wage::readSwitch(c, QStringLiteral("Multitask_mode")) == 1);
        RadioGroup1->setVisible(CheckBox2->isChecked());
        RadioGroup1->setItemIndex(wage::readSwitch(c, QStringLiteral("statistics_mode")));
        Price_mode->setItemIndex(wage::readSwitch(c, QStringLiteral("Price_mode")));
        Price_type->setItemIndex(wage::readSwitch(c, QStringLiteral("Price_type")));
    } catch (const std::exception &e) {
        // A database without the settings table: the window opens with its defaults.
        try {
            wage::WriteTimedLog(QStringLiteral("选项设置：读取设置失败 ") + QString::fromUtf8(e.what()));
        } catch (...) {
        }
    }
    CheckBox6->setChecked(false);
}

void TJJXXForm::notice(TRadioGroup *group)
{
    AlertMess(QStringLiteral("操作提醒"),
              group->title() + QStringLiteral("  已选择  ") + group->itemText(group->ItemIndex()));
}

void TJJXXForm::Price_modeClick()
{
    const int i = Price_mode->ItemIndex();
    Price_type->setVisible(i == 2);
    CheckBox1->setVisible(i == 1 || i == 2);
    CheckBox7->setVisible(i == 1 || i == 2);
    Price_type->setEnabled(isMsSql(connection));
    notice(Price_mode);
}

void TJJXXForm::RadioGroup0Click()
{
    notice(RadioGroup0);
}

void TJJXXForm::RadioGroup1Click()
{
    if (CheckBox2->isChecked())
        notice(RadioGroup1);
}

void TJJXXForm::CheckBox2Click()
{
    RadioGroup1->setVisible(CheckBox2->isChecked());
}

void TJJXXForm::storeSwitch(const QString &key, int value)
{
    wage::writeSwitch(connection, key, value);
}

void TJJXXForm::storeStatisticsMode()
{
    storeSwitch(QStringLiteral("statistics_mode"), RadioGroup1->ItemIndex());
}

void TJJXXForm::BitBtn1Click()
{
    wage::guardHandler(QStringLiteral("提示"), [this] {
        Connection *c = connection;
        auto *source = wage::findHostObjectAs<wage::DataSource>(hostWindow, QStringLiteral("datasource1"));
        wage::Dataset *d = source ? source->dataSet() : nullptr;
        if (!c || !d)
            return;
        const int item = RadioGroup0->ItemIndex();
        const QString days = TrimText(Edit1->text());
        if (item < 0) {
            wage::prompt().warning(QStringLiteral("请先选择数据打开模式。"), QStringLiteral("提示"));
            return;
        }
        // Refused before the host's records are touched: the day count goes into the SQL text.
        if (item == 0 && !isWholeDayCount(days)) {
            wage::prompt().warning(QStringLiteral("天数“%1”不是整数，请输入整数天数。").arg(Edit1->text()),
                                   QStringLiteral("提示"));
            Edit1->setFocus();
            return;
        }
        const bool mssql = isMsSql(c);
        QString sql;
        if (item == 0)
            sql = (mssql ? QStringLiteral("select * from f_jijm where riqi>=getdate()-")
                         : QStringLiteral("select * from f_jijm where riqi>=date()-"))
                  + days;
        else if (item == 1)
            sql = mssql ? QStringLiteral("select * from f_jijm where year(riqi)=year(getdate()) and  month(riqi)=month(getdate())")
                        : QStringLiteral("select * from f_jijm where year(riqi)=year(date()) and  month(riqi)=month(date())");
        else if (item == 2)
            sql = QStringLiteral("select * from f_jijm ");
        d->close();
        d->setCommandText(QString());
        appliedQuery = sql + QStringLiteral("\r\n");
        d->setCommandText(appliedQuery);
        try {
            d->open();
        } catch (const std::exception &e) {
            wage::prompt().error(QString::fromUtf8(e.what()), QStringLiteral("错误"));
            return;
        }
        const bool storedDayMode =
            GetSqli(QStringLiteral("select count(*) from tempconfig where key_name='jijmopen_mode'"), c) == 0
            || wage::readSwitch(c, QStringLiteral("jijmopen_mode")) == 0;
        if (storedDayMode && isWholeDayCount(days))
            storeSwitch(QStringLiteral("jijmopen_day"), days.toInt());
        wage::Dataset modules(c, QStringLiteral("select * from f_moduinfo where mod_table='f_jijm'"));
        modules.open();
        modules.edit();
        modules.setValue(QStringLiteral("opensql"), appliedQuery);
        modules.post();
        storeSwitch(QStringLiteral("jijmopen_mode"), item);
        wage::prompt().warning(QStringLiteral("变动已生效。"), QStringLiteral("提示"));
        close();
    });
}

void TJJXXForm::BitBtn3Click()
{
    const bool stored = wage::guardHandler(QStringLiteral("提示"), [this] {
        Connection *c = connection;
        if (!c)
            return;
        const bool mssql = isMsSql(c);
        if (CheckBox2->isChecked()) {
            if (GetFieldExistCon(QStringLiteral("f_pcmx"), QStringLiteral("pc_gvge"), c)
                && !GetFieldExistCon(QStringLiteral("f_pcmx"), QStringLiteral("ip_gvge"), c)) {
                RunSqlCommand(mssql ? QStringLiteral("alter table f_pcmx  add ip_gvge varchar(20) ")
                                    : QStringLiteral("alter table f_pcmx  add ip_gvge char(20)"),
                              c);
                RunSqlCommand(QStringLiteral("update f_system set field_name='ip_gvge' where table_name='f_pcmx' and field_name='pc_gvge'"), c);
            }
            const int mode = RadioGroup1->ItemIndex();
            if (mode == 0 || mode == 1) {
                RunSqlCommand(QStringLiteral(
                                  "update f_system set field_onkey='select f_pcmx.ip_no as 产品编号,f_pcmx.ip_name as 产品名称,"
                                  "f_pcmx.ip_gvge as 产品规格,f_pici.pc_no as 订单编号,f_pici.pc_name as 订单名称 from f_pici,f_pcmx "
                                  "where f_pici.pc_id=f_pcmx.pc_id;")
                                  + QStringLiteral("&f_pici.pc_no;pc_no$ip_no,ip_name,ip_gvge@产品编号,产品名称,产品规格@ip_no$f_pcmx' "
                                                   "where table_name='f_jijm' and field_name='ip_name'"),
                              c);
                RunSqlCommand(QStringLiteral("update f_system set field_index=8,field_visible='隐藏' where table_name='f_jijm' and field_name='g_ph'"), c);
            } else if (mode == 2) {
                RunSqlCommand(QStringLiteral(
                                  "update f_system set field_onkey='select f_pcmx.ip_no as 产品编号,f_pcmx.ip_name as 产品名称,"
                                  "f_pcmx.ip_gvge as 产品规格,f_pcmx.g_ph as 批号,f_pici.pc_no as 订单编号,f_pici.pc_name as 订单名称 "
                                  "from f_pici,f_pcmx where f_pici.pc_id=f_pcmx.pc_id;")
                                  + QStringLiteral("&f_pici.pc_no;pc_no$ip_no,ip_name,ip_gvge,g_ph@产品编号,产品名称,产品规格,批号@ip_no$f_pcmx' "
                                                   "where table_name='f_jijm' and field_name='ip_name'"),
                              c);
                RunSqlCommand(QStringLiteral("update f_system set field_index=8,field_visible='不激活' where table_name='f_jijm' and field_name='g_ph'"), c);
            }
            RunSqlCommand(QStringLiteral("update f_system set field_index=3,field_visible='不激活' where table_name='f_jijm' and field_name='pc_no'"), c);
            RunSqlCommand(QStringLiteral("update f_system set field_index=3,field_visible='显示' where table_name='f_jijm' and field_name='pc_name'"), c);
        } else {
            RunSqlCommand(QStringLiteral("update f_system set field_onkey='select ip_no as 产品编号,ip_name as 产品名称,ip_gvge as 产品规格  "
                                         "from f_ijpn $ip_no,ip_name,ip_gvge@产品编号,产品名称,产品规格@ip_no$f_ijpn'")
                              + QStringLiteral("where table_name='f_jijm' and field_name='ip_name'"),
                          c);
            RunSqlCommand(QStringLiteral("update f_system set field_index=12,field_visible='隐藏' where table_name='f_jijm' and field_name='pc_no'"), c);
            RunSqlCommand(QStringLiteral("update f_system set field_index=13,field_visible='隐藏' where table_name='f_jijm' and field_name='pc_name'"), c);
        }
        storeSwitch(QStringLiteral("dingdan_mode"), CheckBox2->isChecked() ? 1 : 0);
        storeStatisticsMode();
    });
    if (!stored)
        return;
    AlertMess(QString(), QStringLiteral("系统将重新启动，以便变动生效。"));
    wage::prompt().warning(QStringLiteral("系统将重新启动，以便变动生效。"), QStringLiteral("提示"));
    wage::restartHost();
}

QString TJJXXForm::workerLookup(bool fromAttendance, bool deptInWorkers, bool deptInAttendance)
{
    if (!fromAttendance) {
        if (deptInWorkers)
            return QStringLiteral("select ry_no as 员工编号,ry_name as 员工姓名,dept_name as 部门名称 from f_rfyr"
                                  "$ry_no,ry_name,dept_name@员工编号,员工姓名,部门名称@ry_no$f_rfyr");
        return QStringLiteral("select ry_no as 员工编号,ry_name as 员工姓名 from f_rfyr$ry_no,ry_name@员工编号,员工姓名@ry_no$f_rfyr");
    }
    if (deptInWorkers && deptInAttendance)
        return QStringLiteral("select ry_no as 编号,ry_name as 姓名,dept_name as 部门 from F_Attendance where chuqin>0 ; "
                              "&riqi;riqi$ry_no,ry_name,dept_name@编号,姓名,部门@ry_no$F_Attendance");
    return QStringLiteral("select ry_no as 编号,ry_name as 姓名 from F_Attendance where chuqin>0 ; &riqi;riqi$ry_no,ry_name@编号,姓名@ry_no$F_Attendance");
}

void TJJXXForm::BitBtn2Click()
{
    wage::guardHandler(QStringLiteral("提示"), [this] {
        Connection *c = connection;
        if (!c)
            return;
        const bool deptInWorkers = GetFieldExistCon(QStringLiteral("f_rfyr"), QStringLiteral("dept_name"), c);
        const bool deptInAttendance =
            CheckBox6->isChecked() && GetFieldExistCon(QStringLiteral("F_Attendance"), QStringLiteral("dept_name"), c);
        const QString lookup = workerLookup(CheckBox6->isChecked(), deptInWorkers, deptInAttendance);
        RunSqlCommand(QStringLiteral("update f_system set field_onkey='") + q(lookup) + QStringLiteral("'")
                          + QStringLiteral(" where table_name='f_jijm' and field_name='ry_name'"),
                      c);
    });
}

void TJJXXForm::rewardEnvironment(bool rewardOn)
{
    Connection *c = connection;
    if (!TableExists(QStringLiteral("f_iejl"), c)) {
        RunSqlCommand(QStringLiteral("create table f_iejl (gsxu_no nvarchar(20),jihua money ,jiangli money,bzgs money)"), c);
        const QString table = QStringLiteral("f_iejl"), caption = QStringLiteral("超额奖励"), kind = QStringLiteral("Tmydbedit"),
                      parent = QStringLiteral("产品信息");
        SetSysField(0, 0, table, caption, QStringLiteral("gsxu_no"), QStringLiteral("工序编号"), QStringLiteral("字符型"), 20,
                    QStringLiteral("隐藏"), kind, parent, 0, c);
        SetSysField(1, 1, table, caption, QStringLiteral("jihua"), QStringLiteral("计划量"), QStringLiteral("货币型"), 20,
                    QStringLiteral("显示"), kind, parent, 0, c);
        SetSysField(3, 3, table, caption, QStringLiteral("jiangli"), QStringLiteral("奖励"), QStringLiteral("货币型"), 20,
                    QStringLiteral("显示"), kind, parent, 0, c);
        SetSysField(4, 4, table, caption, QStringLiteral("bzgs"), QStringLiteral("标准工时"), QStringLiteral("货币型"), 20,
                    QStringLiteral("显示"), kind, parent, 0, c);
        AlertMess(QStringLiteral("提示"), QStringLiteral("超额奖励策略数据环境更新完成！"));
    }
    const QString jijm = QStringLiteral("f_jijm"), wageCaption = QStringLiteral("计件工资"), kind = QStringLiteral("Tmydbedit"),
                  group = QStringLiteral("工资管理");
    if (!GetFieldExistCon(jijm, QStringLiteral("jiangli"), c)) {
        RunSqlCommand(QStringLiteral("alter table f_jijm add jiangli money"), c);
        SetSysField(25, 25, jijm, wageCaption, QStringLiteral("jiangli"), QStringLiteral("奖励"), QStringLiteral("货币型"), 20,
                    QStringLiteral("无焦点"), kind, group, 0, c);
    }
    if (!GetFieldExistCon(jijm, QStringLiteral("bzgs"), c)) {
        RunSqlCommand(QStringLiteral("alter table f_jijm add bzgs money"), c);
        SetSysField(11, 11, jijm, wageCaption, QStringLiteral("bzgs"), QStringLiteral("工时"), QStringLiteral("货币型"), 20,
                    QStringLiteral("显示"), kind, group, 0, c);
    }
    if (rewardOn) {
        RunSqlCommand(QStringLiteral("update f_system set field_visible='无焦点' where  field_name='jiangli' and table_name='f_jijm'"), c);
        RunSqlCommand(QStringLiteral("update f_system set field_visible='显示' where  field_name='bzgs' and table_name='f_jijm'"), c);
    } else {
        RunSqlCommand(QStringLiteral("update f_system set field_visible='隐藏' where  field_name='jiangli' and table_name='f_jijm'"), c);
        RunSqlCommand(QStringLiteral("update f_system set field_visible='隐藏' where  field_name='bzgs' and table_name='f_jijm'"), c);
    }
}

void TJJXXForm::dailyWageColumns()
{
    Connection *c = connection;
    const struct {
        const char *column, *caption;
    } columns[] = {{"Day_Salary", "日薪"}, {"Day_SalaryH", "日薪上限"}, {"Day_SalaryL", "日薪下限"}};
    for (const auto &col : columns) {
        const QString column = QString::fromUtf8(col.column);
        if (GetFieldExistCon(QStringLiteral("f_rfyr"), column, c))
            continue;
        RunSqlCommand(QStringLiteral("alter table f_rfyr add ") + column + QStringLiteral(" money"), c);
        RunSqlCommand(QStringLiteral("insert into f_system (Field_index,table_name,table_caption,field_name,field_caption,Field_type,"
                                     "field_width,field_visible,field_kind,mod_parent,field_attribute,grid_index) values ")
                          + QStringLiteral("(8,'f_rfyr','人员基本信息','") + column + QStringLiteral("','")
                          + QString::fromUtf8(col.caption) + QStringLiteral("','整型',10,'显示','TMyDBEdit','人员管理',0,8)"),
                      c);
    }
}

void TJJXXForm::SpeedButton2Click()
{
    const bool saved = wage::guardHandler(QStringLiteral("提示"), [this] {
        if (!connection)
            return;
        storeSwitch(QStringLiteral("process_mode"), CheckBox3->isChecked() ? 1 : 0);
        storeSwitch(QStringLiteral("Salary_mode"), CheckBox5->isChecked() ? 1 : 0);
        storeSwitch(QStringLiteral("Price_Mess"), CheckBox1->isChecked() ? 1 : 0);
        storeSwitch(QStringLiteral("Reward_mode"), CheckBox4->isChecked() ? 1 : 0);
        storeSwitch(QStringLiteral("Multitask_mode"), CheckBox7->isChecked() ? 1 : 0);
        rewardEnvironment(CheckBox4->isChecked());
        storeStatisticsMode();
        storeSwitch(QStringLiteral("Price_mode"), Price_mode->ItemIndex());
        if (Price_type->isVisibleTo(this))
            storeSwitch(QStringLiteral("Price_type"), Price_type->ItemIndex());
        dailyWageColumns();
    });
    if (!saved)
        return;
    wage::prompt().warning(CheckBox6->isChecked()
                               ? QStringLiteral("您已经选择从出勤表提取人员信息，如果计件当日无出勤信息，将无人员可选。重新启动计件工资模块，变动生效。")
                               : QStringLiteral("重新启动计件工资模块，变动生效。"),
                           QStringLiteral("提示"));
    close();
}

void TJJXXForm::SpeedButton1Click()
{
    HtmlHelp(this, wage::programDir() + QStringLiteral("\\help.chm::/计件选项设置.html"), HH_DISPLAY_TOPIC, 0);
}
