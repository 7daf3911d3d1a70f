#pragma once
// The piece-rate options dialog.
#include "contract/pluginform.h"

class TJJXXForm : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TJJXXForm(QWidget *parent = nullptr);

    // Loads the stored switches into the controls; on every showing.
    void LoadSwitches();
};
