#pragma once
// The batch piece-entry window, docked as a page of the host's page control.
#include "contract/pluginform.h"

class TPlxzForm : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TPlxzForm(QWidget *parent = nullptr);

    // Fills the worker list; when the window is created.
    void FillWorkers();
};
