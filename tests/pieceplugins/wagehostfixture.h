#pragma once
// A program directory with a wage database (the host's schema, no demonstration rows unless a
// test adds them), the host's data module and one module window, and a scripted prompt.
#include "datamodule.h"
#include "moduleform.h"
#include "pluginhost.h"
#include "testdir.h"

#include "contract/pluginform.h"
#include "core/prompt.h"
#include "db/connection.h"

#include <gtest/gtest.h>
#include <memory>

namespace wagetest {

class WageHost {
public:
    explicit WageHost(wage::Dialect dialect = wage::Dialect::Access, bool withDeptName = true);
    ~WageHost();

    wage::Connection *db() const { return dataModule.ADOConnection1; }
    // The host's module window of that table (created on first use).
    host::TModuleForm *module(const QString &table);
    // Gives a plug-in window what the start-up frame gives it.
    void attach(wage::PluginForm *form, const QString &table);

    void exec(const QString &sql) const;
    QVariant scalar(const QString &sql) const;
    QStringList column(const QString &sql) const;
    // key_index of a tempconfig key; -1 when it has no row.
    int setting(const QString &key) const;
    // Places the built Alert.dll in the program directory.
    void installAlert() const;

    ProgramDirFixture dir;
    wage::ScopedScriptedPrompt prompt;
    host::TDataModule1 dataModule;
    host::PluginHost noPlugins;
    std::map<QString, std::unique_ptr<host::TModuleForm>> modules;
};

} // namespace wagetest
