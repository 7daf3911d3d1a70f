#pragma once
// A program directory with a wage database, the host program and a vendor server on loopback,
// and a main window driven on the offscreen platform.
#include "frm_main.h"
#include "ziptools.h"

#include "core/prompt.h"
#include "httpserver.h"
#include "testdir.h"

#include <QMap>
#include <gtest/gtest.h>

#include <memory>

class UpdaterFixture : public ::testing::Test {
protected:
    UpdaterFixture();

    // Usertem.ini with the vendor's base address; `mainKeys` go to [main Position].
    void writeIni(const QMap<QString, QString> &mainKeys = {});
    // f_data.mdb with the host's tables (or `path` for another dialect).
    void makeDatabase(const QString &path = QString(), bool mssql = false);
    // wagemain.exe of the build, carrying `version`.
    void installHost(const QString &version);
    void installLinkcfg();
    // The manifest served as Access.xml (or SqlServer.xml).
    void serveManifest(const QMap<QString, QString> &keys, const QString &name = QStringLiteral("Access.xml"));
    void servePackage(const QString &path, const QList<updatertest::ZipEntry> &entries);
    std::unique_ptr<TFrm_Main> makeWindow(const QStringList &parameters);
    QString errorLog() const;
    // Saves a picture of the window when WAGE_UPDATER_SHOTS names a folder.
    static void shot(QWidget *window, const QString &name);

    wagetest::ProgramDirFixture dir;
    wagetest::HttpServer server;
    wage::ScopedScriptedPrompt prompt;
    QStringList started;
    QStringList killed;
    bool ended = false;
    int exitCode = -1;
};

// Writes the file version into a copy of one of our ELF programs.
bool setFileVersion(const QString &path, const QString &version);
