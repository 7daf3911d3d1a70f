#include "estprice/tyggjform.h"

#include <QLabel>

TYggjForm::TYggjForm(QWidget *parent) : wage::PluginForm(parent)
{
    setWindowFlags(Qt::Window);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    auto *area = new QLabel(QStringLiteral("预估工价"), this);
    area->setAlignment(Qt::AlignCenter);
    body()->addWidget(area);
    resize(970, 533);
}
