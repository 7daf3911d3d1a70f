#include "pieceopt/tjjxxform.h"

#include <QLabel>

TJJXXForm::TJJXXForm(QWidget *parent) : wage::PluginForm(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto *area = new QLabel(QStringLiteral("计件选项"), this);
    area->setAlignment(Qt::AlignCenter);
    body()->addWidget(area);
    resize(520, 420);
}

void TJJXXForm::LoadSwitches()
{
}
