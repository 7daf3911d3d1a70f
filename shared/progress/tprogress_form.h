#pragma once
// The progress dialog: borderless 313x150, background picture, message, gauge and elapsed time.
#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;
class QTimer;

class Tprogress_form : public QDialog {
    Q_OBJECT
public:
    explicit Tprogress_form(QWidget *parent = nullptr);

    QLabel *Image1;
    QLabel *mess;
    QProgressBar *Gauge;
    QLabel *Label1;
    QTimer *Timer1;

    void Timer1Timer();
    void Image1Click();
    // "耗时" + seconds with as many digits as needed + "秒"
    static QString elapsedText(qint64 milliseconds);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QElapsedTimer m_started;
};
