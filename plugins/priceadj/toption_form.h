#pragma once
// The options dialog: which numeric fields of the piece records may be adjusted.
#include <QDialog>
#include <QPointer>

class QListWidget;
class QPushButton;

#include "db/connection.h"

class TOption_Form : public QDialog {
    Q_OBJECT
public:
    TOption_Form(wage::Connection *connection, QWidget *parent = nullptr);

    QListWidget *ListView1;
    QPushButton *BitBtn1;

    // One unchecked item per adjustable field caption.
    void fillFields();
    // The checked captions, each followed by ",".
    QString checkedList() const;
    void BitBtn1Click();

signals:
    void saved();

private:
    QPointer<wage::Connection> m_connection;
};
