#include "contract/pluginform.h"

#include "db/connection.h"

#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

namespace wage {

PluginForm::PluginForm(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_body = new QVBoxLayout;
    layout->addLayout(m_body, 1);
}

QStatusBar *PluginForm::addStatusBar(const QList<int> &panelWidths)
{
    auto *bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < panelWidths.size(); ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        const bool last = i == panelWidths.size() - 1;
        if (!last)
            panel->setFixedWidth(panelWidths.at(i));
        else
            panel->setMinimumWidth(panelWidths.at(i));
        bar->addWidget(panel, last ? 1 : 0);
        m_panels << panel;
    }
    static_cast<QVBoxLayout *>(layout())->addWidget(bar);
    return bar;
}

QLabel *PluginForm::statusPanel(int index) const
{
    return m_panels.value(index);
}

void PluginForm::showModal()
{
    if (isVisible())
        hide();
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    QPointer<PluginForm> self(this);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    // The close box hides the window; that ends the modal loop.
    struct HideWatch : QObject {
        QEventLoop *loop;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Hide)
                loop->quit();
            return false;
        }
    } watch;
    watch.loop = &loop;
    installEventFilter(&watch);
    if (isVisible())
        loop.exec();
    if (self) {
        removeEventFilter(&watch);
        setWindowModality(Qt::NonModal);
    }
}

} // namespace wage
