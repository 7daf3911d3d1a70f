// The news window and the pictures of the extension list.
#include "frm_main.h"

#include "news_form.h"
#include "webimage.h"

#include "net/netinfo.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryFile>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

void TFrm_Main::BitBtn1Click()
{
    guarded([this] {
        TForm_RL form(this);
        QTimer::singleShot(0, &form, [&form] {
            form.WebBrowser1->navigate(QUrl(wage::vendorUrl(QStringLiteral("products.htm"))));
        });
        showModal(&form);
    });
}

void TFrm_Main::ListView2Click()
{
    guarded([this] {
        QTreeWidgetItem *row = ListView2->currentItem();
        if (!row || !row->isSelected())
            return;
        Memo3->setPlainText(row->text(3));
        QString path;
        try {
            path = ReadManifestValue(QStringLiteral("ExpImage") + QString::number(ListView2->indexOfTopLevelItem(row) + 1));
        } catch (...) {
            return;
        }
        if (path.isEmpty()) {
            Image2->setVisible(false);
            return;
        }
        LoadWebImage(wage::vendorUrl(path));
    });
}

void TFrm_Main::PageControl1Change(int index)
{
    if (index == 1)
        guarded([this] { LoadWebImage(wage::vendorUrl(QStringLiteral("images/weixin.jpg"))); });
}

void TFrm_Main::LoadWebImage(const QString &address)
{
    // The same client and transfer events as the downloads; the picture passes through memory
    // only in effect: the temporary file goes at once.
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/wage-picture-XXXXXX"));
    if (!file.open())
        return;
    file.close();
    // While the update action runs, a picture must neither touch the package transfer nor the
    // exit button: it is fetched on a client of its own, without the transfer events.
    wage::HttpResult result;
    if (m_actionRunning || m_transferRunning) {
        wage::HttpClient picture;
        picture.options = IdHTTP1.options;
        result = picture.download(address, file.fileName());
    } else {
        wage::HttpClient::Events events;
        events.begin = [this](qint64 total) { IdHTTP1WorkBegin(total); };
        events.work = [this](qint64 done) { IdHTTP1Work(done); };
        events.end = [this] { IdHTTP1WorkEnd(); };
        result = IdHTTP1.download(address, file.fileName(), events);
    }
    if (!result.ok)
        return;
    QByteArray bytes;
    if (file.open())
        bytes = file.readAll();
    const QImage image = updater::DecodeJpeg(bytes);
    if (image.isNull())
        return;
    Image2->setPixmap(QPixmap::fromImage(image.scaled(Image2->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    Image2->setVisible(true);
}
