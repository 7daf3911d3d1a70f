#pragma once
// The progress display every long step reports to: showpress(step, total, message).
// The dialog is created on demand, centred on the owner's window (or the active one), and
// closed and freed by the call whose position reaches maximum - 1.
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class Tprogress_form;

class Tprogress : public QObject {
    Q_OBJECT
public:
    explicit Tprogress(QObject *owner = nullptr);
    ~Tprogress() override;

    void showpress(int position, int maximum, const QString &message);
    // The dialog while it exists (tests read its labels and gauge).
    Tprogress_form *form() const;

private:
    QWidget *mainWindow() const;

    QPointer<Tprogress_form> m_form;
};
