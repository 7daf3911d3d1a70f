#pragma once
// The order-monitoring window.
#include "contract/pluginform.h"

class TOrdmon_form : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TOrdmon_form(QWidget *parent = nullptr);

    // Structure check of the monitoring tables, once per created window.
    void CheckMonitorStructure();
    // Shows the window and loads its data; on every showing after the right check.
    void OpenMonitor();
};
