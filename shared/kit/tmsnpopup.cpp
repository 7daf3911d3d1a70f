#include "kit/tmsnpopup.h"

#include "core/config.h"
#include "kit/shellopen.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

TMSNPopUp::TMSNPopUp(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_timer(new QTimer(this)), m_fade(new QPropertyAnimation(this, "windowOpacity", this))
{
    setObjectName(QStringLiteral("MSNPopUp1"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(200, 121);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &TMSNPopUp::fadeOut);
    URL = wage::VendorConfig::baseUrl();
}

TMSNPopUp::TMSNPopUp(const QString &title, const QString &text, QWidget *parent) : TMSNPopUp(parent)
{
    Title = title;
    Text = text;
}

void TMSNPopUp::ShowPopUp(const QString &title, const QString &text)
{
    Title = title;
    Text = text;
    ShowPopUp();
}

void TMSNPopUp::ShowPopUp()
{
    m_fade->stop();
    disconnect(m_fade, &QPropertyAnimation::finished, this, nullptr);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() - 8, area.bottom() - height() - 8);
    }
    const int fadeMs = qMax(100, 2000 / qMax(1, ScrollSpeed));
    setWindowOpacity(0.0);
    show();
    raise();
    m_showing = true;
    m_fade->setDuration(fadeMs);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->start();
    m_timer->start(TimeOut);
    update();
}

bool TMSNPopUp::isShowing() const { return m_showing; }

void TMSNPopUp::fadeOut()
{
    m_fade->stop();
    m_fade->setDuration(qMax(100, 2000 / qMax(1, ScrollSpeed)));
    m_fade->setStartValue(windowOpacity());
    m_fade->setEndValue(0.0);
    connect(m_fade, &QPropertyAnimation::finished, this, [this] {
        hide();
        m_showing = false;
        emit closed();
    }, Qt::SingleShotConnection);
    m_fade->start();
}

void TMSNPopUp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, GradientColor1);
    g.setColorAt(1, GradientColor2);
    p.fillRect(rect(), g);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    const QRect titleRect(8, 4, width() - 16, fontMetrics().height() + 6);
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, Title);
    p.setFont(font());
    p.drawText(QRect(8, titleRect.bottom() + 2, width() - 16, height() - titleRect.bottom() - 8),
               Qt::AlignCenter | Qt::TextWordWrap, Text);
}

void TMSNPopUp::mouseReleaseEvent(QMouseEvent *)
{
    if (!URL.isEmpty())
        wage::shellOpen(QUrl(URL));
    fadeOut();
}
