#include "wagehostfixture.h"

#include "db/wageschema.h"

#include <QFile>

namespace wagetest {

WageHost::WageHost(wage::Dialect dialect, bool withDeptName)
{
    db()->openFile(dir.file(QStringLiteral("f_data.mdb")), dialect);
    wage::createWageSchema(db(), withDeptName);
}

WageHost::~WageHost()
{
    modules.clear();
}

host::TModuleForm *WageHost::module(const QString &table)
{
    auto &m = modules[table];
    if (!m) {
        m = std::make_unique<host::TModuleForm>(*host::moduleInfo(table), &dataModule, noPlugins,
                                                QStringLiteral("系统管理员"));
        m->resize(900, 600);
    }
    return m.get();
}

void WageHost::attach(wage::PluginForm *form, const QString &table)
{
    form->hostWindow = module(table);
    form->hostDataModule = &dataModule;
    form->connection = db();
    form->userName = QStringLiteral("系统管理员");
}

void WageHost::exec(const QString &sql) const
{
    db()->execute(sql);
}

QVariant WageHost::scalar(const QString &sql) const
{
    const wage::QueryResult r = db()->query(sql);
    return r.rows.isEmpty() ? QVariant() : r.rows.first().value(0);
}

QStringList WageHost::column(const QString &sql) const
{
    QStringList out;
    for (const QVariantList &row : db()->query(sql).rows)
        out << row.value(0).toString();
    return out;
}

int WageHost::setting(const QString &key) const
{
    const wage::QueryResult r =
        db()->query(QStringLiteral("select key_index from tempconfig where key_name=:k"), {{QStringLiteral(":k"), key}});
    if (r.rows.isEmpty())
        return -1;
    EXPECT_EQ(r.rows.size(), 1) << key.toStdString();
    return r.rows.first().value(0).toInt();
}

void WageHost::installAlert() const
{
    ASSERT_TRUE(QFile::copy(builtAppDir() + QStringLiteral("/Alert.dll"), dir.file(QStringLiteral("Alert.dll"))));
}

} // namespace wagetest
