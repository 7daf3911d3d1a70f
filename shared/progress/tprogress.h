#pragma once
// The progress display every long step reports to: showpress(step, total, message).
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
    QPointer<Tprogress_form> m_form;
};
