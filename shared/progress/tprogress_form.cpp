#include "progress/tprogress_form.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QTimer>

namespace {

constexpr int kWidth = 313;
constexpr int kHeight = 150;

// The installation's artwork: a soft blue wash with a thin frame and a light band behind the
// message.
QPixmap backgroundPicture()
{
    QPixmap picture(kWidth, kHeight);
    QPainter p(&picture);
    QLinearGradient wash(0, 0, 0, kHeight);
    wash.setColorAt(0.0, QColor(0xF4, 0xF9, 0xFF));
    wash.setColorAt(0.55, QColor(0xDD, 0xEB, 0xF9));
    wash.setColorAt(1.0, QColor(0xBF, 0xD7, 0xF0));
    p.fillRect(picture.rect(), wash);
    QLinearGradient band(0, 0, kWidth, 0);
    band.setColorAt(0.0, QColor(255, 255, 255, 0));
    band.setColorAt(0.5, QColor(255, 255, 255, 150));
    band.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 22, kWidth, 50), band);
    p.setPen(QColor(0x5B, 0x8D, 0xC4));
    p.drawRect(0, 0, kWidth - 1, kHeight - 1);
    p.setPen(QColor(255, 255, 255, 180));
    p.drawRect(1, 1, kWidth - 3, kHeight - 3);
    return picture;
}

} // namespace

Tprogress_form::Tprogress_form(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("Tprogress_form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(kWidth, kHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, kWidth, kHeight);
    Image1->setPixmap(backgroundPicture());
    Image1->setScaledContents(true);
    Image1->installEventFilter(this);

    mess = new QLabel(QStringLiteral("提示信息："), this);
    mess->setObjectName(QStringLiteral("mess"));
    mess->setGeometry(18, 24, kWidth - 36, 46);
    mess->setWordWrap(true);
    mess->setTextFormat(Qt::PlainText);
    mess->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
    font.setPixelSize(13);
    mess->setFont(font);
    QPalette messColors = mess->palette();
    messColors.setColor(QPalette::WindowText, Qt::blue);
    mess->setPalette(messColors);
    // Clicks anywhere on the picture reach Image1, also where the message lies over it.
    mess->setAttribute(Qt::WA_TransparentForMouseEvents);

    Gauge = new QProgressBar(this);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setGeometry(18, 84, kWidth - 36, 18);
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    Gauge->setAlignment(Qt::AlignCenter);
    Gauge->setStyleSheet(QStringLiteral(
        "QProgressBar { border: 1px solid #5B8DC4; background: white; color: black; }"
        "QProgressBar::chunk { background-color: #008080; }"));
    Gauge->setAttribute(Qt::WA_TransparentForMouseEvents);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(18, kHeight - 28, kWidth - 36, 18);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(200);
    connect(Timer1, &QTimer::timeout, this, &Tprogress_form::Timer1Timer);
}

QString Tprogress_form::elapsedText(qint64 milliseconds)
{
    return QStringLiteral("耗时") + QString::number(double(milliseconds) / 1000.0, 'g', 15) + QStringLiteral("秒");
}

void Tprogress_form::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_started.start();
    Timer1->start();
}

void Tprogress_form::Timer1Timer()
{
    if (m_started.isValid())
        Label1->setText(elapsedText(m_started.elapsed()));
    QCoreApplication::processEvents();
}

void Tprogress_form::Image1Click()
{
    close();
}

bool Tprogress_form::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
