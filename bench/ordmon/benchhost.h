#pragma once
// The host of the order-monitoring benches: a program directory with the scaled demonstration
// database (200 orders x 5 lines x 8 processes), the host stand-in on the offscreen platform, and
// the monitoring window opened once so that its structure exists.
#include "datamodule.h"
#include "mainform.h"
#include "moduleform.h"
#include "pluginhost.h"

#include <QTemporaryDir>

#include <memory>

class QWidget;

struct BenchHost {
    QTemporaryDir dir;
    std::unique_ptr<host::TDataModule1> dataModule;
    std::unique_ptr<host::PluginHost> plugins;
    std::unique_ptr<host::TMainForm> mainForm;
    qint64 databaseMs = 0;

    wage::Connection *connection() const { return dataModule->ADOConnection1; }
    // Builds the database with `records` piece records and opens the monitoring window once
    // (which makes its structure); the orders module is closed again afterwards.
    bool build(int records);
    // Opens the orders module and the monitoring window; nullptr when the window did not open.
    QWidget *openMonitor(host::TModuleForm **orders);
};

// The visible order-monitoring window, or nullptr.
QWidget *monitorWindow();
// Keeps plug-ins from restarting the bench when they make their structure.
void keepBenchRunning();
