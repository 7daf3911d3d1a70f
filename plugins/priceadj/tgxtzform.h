#pragma once
// The piece-price adjustment window (shown modally).
#include "contract/pluginform.h"

class TGxtzForm : public wage::PluginForm {
    Q_OBJECT
public:
    explicit TGxtzForm(const QString &versionLabel, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    QString m_versionLabel;
};
