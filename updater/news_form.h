#pragma once
// "最新动态": the vendor's product page in a rich-text view, with its loading progress in the
// status bar.
#include <QDialog>
#include <QHash>
#include <QTextBrowser>
#include <QUrl>

class QLabel;
class QProgressBar;
class QStatusBar;

// The window's browser: fetches pages and their pictures over HTTP and reports its progress.
class TWebView : public QTextBrowser {
    Q_OBJECT
public:
    explicit TWebView(QWidget *parent = nullptr);
    // Fetches the page; false (and an empty page) when it cannot be fetched.
    bool navigate(const QUrl &url);
    QUrl currentUrl() const { return m_url; }
    // Pictures fetched for the current page, by address.
    int loadedImageCount() const;

signals:
    void progressChange(qint64 progress, qint64 maximum);
    void documentComplete(const QUrl &url, bool topLevel);

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    QUrl m_url;
    QHash<QUrl, QVariant> m_resources;
};

class TForm_RL : public QDialog {
    Q_OBJECT
public:
    explicit TForm_RL(QWidget *parent = nullptr);

    void WebBrowser1ProgressChange(qint64 progress, qint64 maximum);
    void WebBrowser1DocumentComplete(const QUrl &url, bool topLevel);
    void StatusBar1DrawPanel(int index, const QRect &rect);
    QString panelText(int index) const;

    TWebView *WebBrowser1;
    QProgressBar *ProgressBar1;
    QStatusBar *StatusBar1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QWidget *> m_panels;
};
