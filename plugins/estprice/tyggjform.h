#pragma once
// The estimated piece-price calculator window.
#include "contract/pluginform.h"

class TYggjForm : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TYggjForm(QWidget *parent = nullptr);
};
