#include "ordmon/tordmon_form.h"

#include "db/dbroutines.h"
#include "kit/sqlroutines.h"

#include <QLabel>

TOrdmon_form::TOrdmon_form(QWidget *parent) : wage::PluginForm(parent)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("宋体"), 9));
    auto *area = new QLabel(this);
    area->setObjectName(QStringLiteral("TabSheet4"));
    area->setText(QStringLiteral("订单产能动态监控"));
    area->setAlignment(Qt::AlignCenter);
    body()->addWidget(area);
    addStatusBar({200, 100});
}

void TOrdmon_form::CheckMonitorStructure()
{
    // An empty copy of the piece records for the realtime page; dropped by CloseMyform.
    scratchTable = TableNameRand(connection);
    RunSqlCommand(QStringLiteral("select * into ") + scratchTable + QStringLiteral(" from f_jijm where 1=2"), connection);
}

void TOrdmon_form::OpenMonitor()
{
    show();
    raise();
}
