#pragma once
// The condition builder: the user puts together a condition on a table's registered fields
// (by caption), row by row, and the plug-in takes it as an SQL predicate in the connection's
// dialect (getcurtj) and as readable text for confirmations (description).
#include "kit/condition.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

class Tchoice : public QWidget {
    Q_OBJECT
public:
    explicit Tchoice(QWidget *parent = nullptr);

    // Binds the builder to a table: its fields are the registry rows of the table (any table
    // without rows offers its columns by name). Clears the conditions.
    void setchoi(const QString &table, wage::Connection *connection);
    QString table() const { return m_table; }

    // The user's condition for the table; empty when none.
    QString getcurtj() const;
    // The rows as the builder shows them, one line each.
    QStringList description() const;
    // The same lines joined with carriage returns, for message texts.
    QString descriptionText() const;

    // Adds a row by field caption; a field, operator or value that does not fit is refused with
    // a message and nothing is added.
    bool addCondition(const QString &caption, const QString &op, const QString &value,
                      const QString &logic = QStringLiteral("并且"));
    void removeCondition(int index);
    void clearConditions();
    int conditionCount() const { return m_conditions.size(); }
    QList<wage::ChoiceCondition> conditions() const { return m_conditions; }
    QList<wage::ChoiceField> fields() const { return m_fields; }

signals:
    void conditionChanged();

private slots:
    void btn_AddClick();
    void btn_DeleteClick();
    void btn_ClearClick();
    void ComboBox_OpChange();

private:
    void refreshList();

    QString m_table;
    QPointer<wage::Connection> m_connection;
    QList<wage::ChoiceField> m_fields;
    QList<wage::ChoiceCondition> m_conditions;

    QComboBox *m_logic;
    QComboBox *m_field;
    QComboBox *m_op;
    QLineEdit *m_value;
    QPushButton *m_add;
    QPushButton *m_delete;
    QPushButton *m_clear;
    QListWidget *m_list;
};
