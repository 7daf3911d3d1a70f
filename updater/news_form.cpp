#include "news_form.h"

#include "webimage.h"

#include "core/textcodec.h"
#include "net/http.h"
#include "net/netinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTemporaryFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

// An HTML page declares its encoding in a meta tag; pages without one are read as UTF-8 or GBK.
QString decodePage(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(1024).toLower();
    const int at = head.indexOf("charset=");
    if (at >= 0) {
        const QByteArray charset = head.mid(at + 8).replace('"', ' ').replace('\'', ' ').trimmed().split(' ').value(0).split(';').value(0).split('>').value(0);
        if (charset == "gb2312" || charset == "gbk" || charset == "gb18030")
            return wage::fromGbk(bytes);
        if (charset == "utf-8")
            return QString::fromUtf8(bytes);
    }
    return wage::decodeLocalText(bytes);
}

} // namespace

TWebView::TWebView(QWidget *parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) { navigate(m_url.resolved(link)); });
}

bool TWebView::navigate(const QUrl &url)
{
    m_url = url;
    m_resources.clear();
    wage::HttpClient client;
    wage::HttpClient::Events events;
    qint64 total = 0;
    events.begin = [&](qint64 size) {
        total = size > 0 ? size : 0;
        emit progressChange(0, total);
    };
    events.work = [&](qint64 done) { emit progressChange(done, total > 0 ? total : done + 1); };
    // The page goes through a file so that its transfer reports progress.
    QTemporaryFile temporary(QDir::tempPath() + QStringLiteral("/wage-page-XXXXXX.htm"));
    if (!temporary.open())
        return false;
    const QString file = temporary.fileName();
    temporary.close();
    const wage::HttpResult result = client.download(url.toString(), file, events);
    QByteArray bytes;
    if (result.ok) {
        QFile page(file);
        if (page.open(QIODevice::ReadOnly))
            bytes = page.readAll();
    }
    temporary.remove();
    setSource(QUrl());
    document()->setBaseUrl(url);
    if (result.ok)
        setHtml(decodePage(bytes));
    else
        setHtml(QString());
    emit progressChange(total, total);
    emit documentComplete(url, true);
    return result.ok;
}

int TWebView::loadedImageCount() const
{
    int n = 0;
    for (const QVariant &v : m_resources)
        n += v.canConvert<QImage>() && !v.value<QImage>().isNull() ? 1 : 0;
    return n;
}

QVariant TWebView::loadResource(int type, const QUrl &name)
{
    const QUrl url = m_url.resolved(name);
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        return QTextBrowser::loadResource(type, name);
    if (m_resources.contains(url))
        return m_resources.value(url);
    wage::HttpClient client;
    const wage::HttpResult result = client.get(url.toString());
    QVariant value;
    if (result.ok) {
        if (type == QTextDocument::ImageResource) {
            QImage image = updater::DecodeJpeg(result.body);
            if (image.isNull())
                image = QImage::fromData(result.body);
            if (!image.isNull())
                value = image;
        } else {
            value = result.body;
        }
    }
    m_resources.insert(url, value);
    return value;
}

TForm_RL::TForm_RL(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_RL"));
    setWindowTitle(QStringLiteral("Quorvin计件工资软件您的睿智之选。"));
    setSizeGripEnabled(true);
    resize(1007, 649);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    WebBrowser1 = new TWebView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    layout->addWidget(WebBrowser1, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    const int widths[] = {230, 200, 50};
    for (int i = 0; i < 3; ++i) {
        QWidget *panel = i < 2 ? static_cast<QWidget *>(new QLabel(StatusBar1)) : new QWidget(StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFixedWidth(widths[i]);
        StatusBar1->addWidget(panel);
        m_panels << panel;
    }
    // The third panel is owner-drawn: the progress bar sits in it.
    m_panels.at(2)->installEventFilter(this);
    layout->addWidget(StatusBar1);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setVisible(false);

    connect(WebBrowser1, &TWebView::progressChange, this, &TForm_RL::WebBrowser1ProgressChange);
    connect(WebBrowser1, &TWebView::documentComplete, this, &TForm_RL::WebBrowser1DocumentComplete);
}

QString TForm_RL::panelText(int index) const
{
    auto *label = qobject_cast<QLabel *>(m_panels.value(index));
    return label ? label->text() : QString();
}

void TForm_RL::WebBrowser1ProgressChange(qint64 progress, qint64 maximum)
{
    ProgressBar1->setMaximum(static_cast<int>(qBound(qint64(0), maximum, qint64(INT_MAX))));
    ProgressBar1->setValue(static_cast<int>(qBound(qint64(0), progress, qint64(ProgressBar1->maximum()))));
    auto *label = qobject_cast<QLabel *>(m_panels.at(1));
    label->setText(progress < maximum ? QStringLiteral("正在加载页面，稍后.....") : QStringLiteral("页面加载完毕!"));
}

void TForm_RL::WebBrowser1DocumentComplete(const QUrl &url, bool topLevel)
{
    Q_UNUSED(url);
    if (topLevel)
        qobject_cast<QLabel *>(m_panels.at(1))->setText(QStringLiteral("页面加载完毕!"));
}

void TForm_RL::StatusBar1DrawPanel(int index, const QRect &rect)
{
    Q_UNUSED(index);
    ProgressBar1->setParent(StatusBar1);
    ProgressBar1->setGeometry(rect);
    ProgressBar1->setMinimum(0);
    ProgressBar1->setVisible(true);
}

bool TForm_RL::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panels.at(2) && (event->type() == QEvent::Resize || event->type() == QEvent::Move
                                      || event->type() == QEvent::Show)) {
        StatusBar1DrawPanel(2, m_panels.at(2)->geometry());
    }
    return QDialog::eventFilter(watched, event);
}
