// wagedb: the administrator's tool for the wage database.
//   wagedb create <file> [--dialect ACCESS|MSSQL] [--records N] [--products N] [--workers N]
//                        [--orders N] [--lines N] [--processes N] [--months N] [--seed N] [--no-dept] [--force]
//   wagedb sql <file> [--dialect ACCESS|MSSQL] (-e "SQL" | -f script.sql)
//   wagedb sql --ini <programdir> (-e "SQL" | -f script.sql)
// Result rows go to standard output as tab-separated text under a header line; counts of
// changed rows and errors go to standard error. A failing statement ends the run with exit 1.
#include "demodata.h"
#include "sqlscript.h"

#include "core/appdir.h"
#include "core/config.h"
#include "core/inifile.h"
#include "db/connection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

using namespace wage;

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

int usage()
{
    err() << "用法：\n"
             "  wagedb create <数据库文件> [--dialect ACCESS|MSSQL] [--records N] [--products N] [--workers N]\n"
             "                [--orders N] [--lines N] [--processes N] [--months N] [--seed N] [--no-dept] [--force]\n"
             "  wagedb sql <数据库文件> [--dialect ACCESS|MSSQL] (-e \"SQL\" | -f 脚本文件)\n"
             "  wagedb sql --ini <程序目录> (-e \"SQL\" | -f 脚本文件)\n";
    err().flush();
    return 2;
}

struct Options {
    QString command, file, iniDir, sql, script;
    Dialect dialect = Dialect::Access;
    QHash<QString, int> numbers;
    bool force = false, noDept = false;
};

bool parse(const QStringList &args, Options &o)
{
    if (args.size() < 2)
        return false;
    o.command = args[1];
    for (int i = 2; i < args.size(); ++i) {
        const QString a = args[i];
        auto nextValue = [&](QString &into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--dialect")) {
            if (!nextValue(v))
                return false;
            o.dialect = dialectFromName(v);
        } else if (a == QLatin1String("--ini")) {
            if (!nextValue(o.iniDir))
                return false;
        } else if (a == QLatin1String("-e")) {
            if (!nextValue(o.sql))
                return false;
        } else if (a == QLatin1String("-f")) {
            if (!nextValue(o.script))
                return false;
        } else if (a == QLatin1String("--force")) {
            o.force = true;
        } else if (a == QLatin1String("--no-dept")) {
            o.noDept = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            bool ok = false;
            if (!nextValue(v))
                return false;
            const int n = v.toInt(&ok);
            if (!ok || n < 0)
                return false;
            o.numbers.insert(a.mid(2), n);
        } else if (o.file.isEmpty()) {
            o.file = a;
        } else {
            return false;
        }
    }
    return true;
}

QString cell(const QVariant &v)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::QByteArray)
        return QStringLiteral("(BLOB %1 字节)").arg(v.toByteArray().size());
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QString s = v.toString();
    s.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s;
}

int create(const Options &o)
{
    if (o.file.isEmpty())
        return usage();
    if (QFileInfo::exists(o.file)) {
        if (!o.force) {
            err() << "数据库文件已存在：" << o.file << "（要重新生成请加 --force）\n";
            return 1;
        }
        // Never remove a real Access file: the engine refuses it before anything is touched.
        Connection probe;
        probe.openFile(o.file, o.dialect);
        probe.close();
        if (!QFile::remove(o.file)) {
            err() << "无法删除旧的数据库文件：" << o.file << "\n";
            return 1;
        }
    }
    DemoSize size;
    size.products = o.numbers.value(QStringLiteral("products"), size.products);
    size.workers = o.numbers.value(QStringLiteral("workers"), size.workers);
    size.orders = o.numbers.value(QStringLiteral("orders"), size.orders);
    size.linesPerOrder = o.numbers.value(QStringLiteral("lines"), size.linesPerOrder);
    size.processesPerProduct = o.numbers.value(QStringLiteral("processes"), size.processesPerProduct);
    size.months = std::max(1, o.numbers.value(QStringLiteral("months"), size.months));
    size.pieceRecords = o.numbers.value(QStringLiteral("records"), size.pieceRecords);
    size.seed = quint32(o.numbers.value(QStringLiteral("seed"), int(size.seed)));
    size.withDeptName = !o.noDept;
    QElapsedTimer timer;
    timer.start();
    Connection c;
    c.openFile(o.file, o.dialect);
    createWageDatabase(&c, o.dialect, size);
    const int records = c.query(QStringLiteral("select count(*) from f_jijm")).rows[0][0].toInt();
    err() << "已生成工资数据库 " << o.file << "（" << dialectName(o.dialect) << "），计件记录 " << records
          << " 条，用时 " << timer.elapsed() << " 毫秒\n";
    return 0;
}

int runSql(const Options &o)
{
    if (o.sql.isEmpty() == o.script.isEmpty())
        return usage();
    Connection c;
    if (!o.iniDir.isEmpty()) {
        if (!QFileInfo(o.iniDir).isDir()) {
            err() << "程序目录不存在：" << o.iniDir << "\n";
            return 1;
        }
        setProgramDir(QFileInfo(o.iniDir).absoluteFilePath());
        const QString description = inistring(QString::fromLatin1(kMainSection), QStringLiteral("connectionstr"), QString(),
                                              QString::fromLatin1(kUserIni), QStringLiteral("read"));
        QString access = inistring(QString::fromLatin1(kMainSection), QStringLiteral("datapath"), QString(),
                                   QString::fromLatin1(kUserIni), QStringLiteral("read"));
        if (access.isEmpty() || !QFileInfo::exists(access))
            access = programFile(QString::fromLatin1(kDefaultAccessFile));
        if (GetConType() == QLatin1String("ACCESS") && !QFileInfo::exists(access)) {
            err() << "找不到数据库文件：" << access << "\n";
            return 1;
        }
        c.openDescription(description, access);
    } else {
        if (o.file.isEmpty())
            return usage();
        if (!QFileInfo::exists(o.file)) {
            err() << "找不到数据库文件：" << o.file << "\n";
            return 1;
        }
        c.openFile(o.file, o.dialect);
    }

    QString text = o.sql;
    if (!o.script.isEmpty()) {
        QFile f(o.script);
        if (!f.open(QIODevice::ReadOnly)) {
            err() << "无法读取脚本文件：" << o.script << "\n";
            return 1;
        }
        text = QString::fromUtf8(f.readAll());
    }
    const QStringList statements = splitSqlScript(text, c.dialect());
    for (const QString &statement : statements) {
        try {
            if (returnsRows(statement)) {
                const QueryResult r = c.query(statement);
                out() << r.columns.join(QLatin1Char('\t')) << '\n';
                for (const QVariantList &row : r.rows) {
                    QStringList cells;
                    for (const QVariant &v : row)
                        cells.append(cell(v));
                    out() << cells.join(QLatin1Char('\t')) << '\n';
                }
                out().flush();
            } else {
                const int n = c.execute(statement, {}, 0);
                err() << "（" << n << " 行受影响）\n";
            }
        } catch (const DbError &e) {
            out().flush();
            err() << e.reason() << "\n" << statement << "\n";
            err().flush();
            return 1;
        }
    }
    err().flush();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    if (!parse(app.arguments(), o))
        return usage();
    try {
        if (o.command == QLatin1String("create"))
            return create(o);
        if (o.command == QLatin1String("sql"))
            return runSql(o);
    } catch (const WageError &e) {
        err() << e.message() << "\n";
        err().flush();
        return 1;
    }
    return usage();
}
