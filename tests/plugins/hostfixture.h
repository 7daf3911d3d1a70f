#pragma once
// The real host parts in-process: a program directory whose Plugins/ holds the five built
// plug-ins, a wage database with the module tables and usermod, the host's main window with
// its module windows, and a scripted prompt.
#include "datamodule.h"
#include "mainform.h"
#include "moduleform.h"
#include "pluginhost.h"
#include "testdir.h"

#include "core/prompt.h"

#include <gtest/gtest.h>
#include <memory>

namespace wagetest {

struct PluginCase {
    const char *name;        // library stem
    const char *function;    // caption
    const char *table;
    const char *windowClass;
    bool recheckOnReshow;
};
const QList<PluginCase> &pluginCases();

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const host::LoadedPlugin &plugin(const PluginCase &c) const;
    // ShowDLLForm of the plug-in in its module window with the parameter text given.
    void show(const PluginCase &c, const QString &params);
    void grant(const QString &table, const QString &function, const QString &user);
    int usermodQueries() const;
    // The plug-in window of that class, if one exists.
    static QWidget *window(const char *className);
    // Closes the next visible window of that class (a modal window) once it shows.
    void closeWhenShown(const char *className);
    static bool progressShowing();

    ProgramDirFixture dir;
    wage::ScopedScriptedPrompt prompt;
    host::TDataModule1 dataModule;
    host::PluginHost plugins;
    std::unique_ptr<host::TMainForm> mainForm;
    std::unique_ptr<QObject> timers = std::make_unique<QObject>();
};

} // namespace wagetest
