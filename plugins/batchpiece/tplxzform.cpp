#include "batchpiece/tplxzform.h"

#include <QLabel>

TPlxzForm::TPlxzForm(QWidget *parent) : wage::PluginForm(parent)
{
    auto *area = new QLabel(QStringLiteral("请选择要更新的人员"), this);
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    body()->addWidget(area);
}

void TPlxzForm::FillWorkers()
{
}
