#pragma once
// A small wage database on the embedded engine for the component package's tests: the
// registry, rights, module table and a few application tables with known rows.
#include "db/connection.h"
#include "qtprint.h"
#include "testdir.h"

#include <memory>

namespace kittest {

class KitDb : public wagetest::ProgramDirFixture {
public:
    explicit KitDb(wage::Dialect dialect = wage::Dialect::MsSql);
    wage::Connection *conn() { return m_conn.get(); }
    void exec(const QString &sql);
    // One registry row for f_jijm etc.: index, name, caption, type, visibility, width.
    void reg(const QString &table, int index, const QString &field, const QString &caption, const QString &type,
             const QString &visible = QStringLiteral("显示"), int width = 10, const QString &onKey = QString());

private:
    std::unique_ptr<wage::Connection> m_conn;
};

} // namespace kittest
