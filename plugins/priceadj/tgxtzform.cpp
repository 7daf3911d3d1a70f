#include "priceadj/tgxtzform.h"

#include <QLabel>
#include <QShowEvent>

TGxtzForm::TGxtzForm(const QString &versionLabel, QWidget *parent)
    : wage::PluginForm(parent), m_versionLabel(versionLabel)
{
    setWindowFlags(Qt::Window);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    auto *area = new QLabel(QStringLiteral("单一工序调整"), this);
    area->setObjectName(QStringLiteral("PageControl1"));
    area->setAlignment(Qt::AlignCenter);
    body()->addWidget(area);
    addStatusBar({200, 500, 50});
    statusPanel(1)->setText(
        QStringLiteral("审核过的计件不在调整范围之内。注意，所有显示的记录都将调整成当前价格。"));
    statusPanel(2)->setText(QStringLiteral("兼容4.83以上版本"));
}

void TGxtzForm::showEvent(QShowEvent *event)
{
    wage::PluginForm::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TGxtzForm::FormShow()
{
    statusPanel(0)->setText(m_versionLabel);
}
