#pragma once
// The notification popup: a small window that rises at the bottom right of the screen, shows a
// bold title over centred text on a light-blue-to-white gradient, and fades away after a few
// seconds. A click on it opens the vendor's web site.
#include <QColor>
#include <QWidget>

class QPropertyAnimation;
class QTimer;

class TMSNPopUp : public QWidget {
    Q_OBJECT
public:
    explicit TMSNPopUp(QWidget *parent = nullptr);
    TMSNPopUp(const QString &title, const QString &text, QWidget *parent = nullptr);

    QString Title;
    QString Text;
    QString URL;                         // opened on a click; default the vendor's site
    int TimeOut = 4000;                  // ms the popup stays before fading
    int ScrollSpeed = 9;                 // how quickly it fades in and out
    QColor GradientColor1 = QColor(0x99, 0xCC, 0xFF);   // light blue (16764057)
    QColor GradientColor2 = Qt::white;

    void ShowPopUp();
    void ShowPopUp(const QString &title, const QString &text);
    bool isShowing() const;

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;

private:
    void fadeOut();
    QTimer *m_timer;
    QPropertyAnimation *m_fade;
    bool m_showing = false;
};
