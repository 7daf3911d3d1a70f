#include "hostfixture.h"

#include "core/textcodec.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

namespace wagetest {

const QList<PluginCase> &pluginCases()
{
    static const QList<PluginCase> cases = {
        {"ordmon", "订单监控", "f_pici", "TOrdmon_form", true},
        {"priceadj", "调整工价", "f_jijm", "TGxtzForm", true},
        {"pieceopt", "选项设置", "f_jijm", "TJJXXForm", true},
        {"estprice", "预估工价", "f_ijpn", "TYggjForm", false},
        {"batchpiece", "批量新增", "f_juar", "TPlxzForm", false},
    };
    return cases;
}

void HostFixture::SetUp()
{
    ASSERT_TRUE(QFile::link(builtAppDir() + QStringLiteral("/Plugins"), dir.file(QStringLiteral("Plugins"))));
    wage::Connection *db = dataModule.ADOConnection1;
    db->openFile(dir.file(QStringLiteral("f_data.mdb")), wage::Dialect::Access);
    for (const char *sql : {
             "create table f_jijm (dj_no int, riqi date, ry_no nvarchar(20), ip_no nvarchar(20), ip_djjw money)",
             "create table f_pici (pc_id int, pc_no nvarchar(20), pc_name nvarchar(40))",
             "create table f_pcmx (pc_id int, ip_no nvarchar(20), pc_dhul money)",
             "create table f_ijpn (ip_id int, ip_no nvarchar(20), ip_name nvarchar(40))",
             "create table f_ipgx (ip_id int, gsxu_no nvarchar(20), ip_djjw money)",
             "create table f_juar (ry_no nvarchar(20), ry_name nvarchar(20), riqi date)",
             "create table f_moduinfo (mod_name nvarchar(40), mod_table nvarchar(20), mod_parent nvarchar(20), mod_show nvarchar(4), opensql nvarchar(255))",
             "create table usermod (mod_table nvarchar(20), mod_func nvarchar(20), mod_type nvarchar(20), user_name nvarchar(20))",
             "insert into f_pici (pc_id, pc_no, pc_name) values (1, 'P001', '春季订单')",
             "insert into f_pcmx (pc_id, ip_no, pc_dhul) values (1, 'A01', 500)",
             // what order monitoring finds on an installation it has opened before
             "create table F_PCJK (id int IDENTITY(1,1), pc_id int, pc_no nvarchar(20), ip_no nvarchar(20), ip_gvge nvarchar(20), "
             "G_PH nvarchar(20), gsxu_no nvarchar(20), ip_gsxu nvarchar(40), zcsl money, ip_djjw money, pc_dhul money, pc_sjcl money, "
             "pc_wwsl money, pc_jhrq datetime, ip_days money, ip_rjcl money, ip_syts money, WorkHours money, zhunbei money, "
             "CurMonSL money, CurSTSL money)",
             "alter table f_pici add WorkHours money", "alter table f_pici add shengchanYK money", "alter table f_pici add CurMonCB money",
             "alter table f_pici add CurSTCB money", "alter table f_pici add CurMonFS money", "alter table f_pici add PriMonFS money",
             "alter table f_pici add histotal money", "alter table f_pici add CurMonSL money", "alter table f_pici add CurDaySL money",
             "alter table f_pcmx add CPP_NO nvarchar(20)", "alter table f_pcmx add CurMonSL money", "alter table f_pcmx add CurMonCB money",
             "alter table f_pcmx add CurSTCB money",
             "create table f_system (Field_index int, grid_index int, table_name nvarchar(50), table_caption nvarchar(50), "
             "field_name nvarchar(50), field_caption nvarchar(50), Field_type nvarchar(20), field_width int, field_visible nvarchar(10), "
             "field_kind nvarchar(30), mod_parent nvarchar(30), field_attribute int)",
             "insert into f_system (table_name, field_name, field_caption) values ('F_pcmx', 'CPP_NO', '在产标识')",
             "create table tempconfig (key_name nvarchar(50), key_index int, gridwidth nvarchar(255))",
             "create table gz_stat (gz_ym nvarchar(6))"})
        db->execute(QString::fromUtf8(sql));
    plugins.loadAll(dir.file(QStringLiteral("Plugins")));
    ASSERT_EQ(plugins.plugins().size(), pluginCases().size());
    mainForm = std::make_unique<host::TMainForm>(&dataModule, plugins, QStringLiteral("系统管理员"));
    mainForm->setGeometry(40, 30, 900, 640);
    mainForm->show();
    db->setTracing(true);
}

void HostFixture::TearDown()
{
    timers.reset();
    for (const host::LoadedPlugin &p : plugins.plugins())
        p.close();
    if (mainForm)
        mainForm->closeModules();
}

const host::LoadedPlugin &HostFixture::plugin(const PluginCase &c) const
{
    const host::LoadedPlugin *p = plugins.find(QString::fromUtf8(c.table), QString::fromUtf8(c.function));
    EXPECT_NE(p, nullptr) << c.name;
    return *p;
}

void HostFixture::show(const PluginCase &c, const QString &params)
{
    host::TModuleForm *module = mainForm->openModule(QString::fromUtf8(c.table));
    ASSERT_NE(module, nullptr);
    if (QByteArray(c.name) == "priceadj")
        closeWhenShown(c.windowClass);
    const QByteArray gbk = wage::toGbk(params);
    EXPECT_TRUE(plugin(c).show(nullptr, gbk.constData(), module, &dataModule));
}

void HostFixture::grant(const QString &table, const QString &function, const QString &user)
{
    dataModule.ADOConnection1->execute(
        QStringLiteral("insert into usermod (mod_table, mod_func, mod_type, user_name) values (:t, :f, '拓展', :u)"),
        {{QStringLiteral(":t"), table}, {QStringLiteral(":f"), function}, {QStringLiteral(":u"), user}});
}

int HostFixture::usermodQueries() const
{
    int n = 0;
    for (const QString &sql : dataModule.ADOConnection1->trace())
        n += sql.contains(QStringLiteral("from usermod"), Qt::CaseInsensitive)
                 && sql.contains(QStringLiteral("mod_type='拓展'"))
             ? 1
             : 0;
    return n;
}

QWidget *HostFixture::window(const char *className)
{
    for (QWidget *w : QApplication::allWidgets()) {
        if (qstrcmp(w->metaObject()->className(), className) == 0)
            return w;
    }
    return nullptr;
}

void HostFixture::closeWhenShown(const char *className)
{
    auto *timer = new QTimer(timers.get());
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, className] {
        QWidget *w = window(className);
        if (w && w->isVisible()) {
            w->close();
            timer->deleteLater();
        }
    });
    timer->start();
}

bool HostFixture::progressShowing()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (qstrcmp(w->metaObject()->className(), "Tprogress_form") == 0 && w->isVisible())
            return true;
    }
    return false;
}

} // namespace wagetest
