#include "kit/tchoice.h"

#include "core/prompt.h"
#include "kit/sysfield.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using wage::ChoiceCondition;
using wage::ChoiceField;

Tchoice::Tchoice(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("choice1"));
    m_logic = new QComboBox(this);
    m_logic->setObjectName(QStringLiteral("ComboBox_Logic"));
    m_logic->addItems({QStringLiteral("并且"), QStringLiteral("或者")});
    m_field = new QComboBox(this);
    m_field->setObjectName(QStringLiteral("ComboBox_Field"));
    m_field->setMinimumContentsLength(8);
    m_op = new QComboBox(this);
    m_op->setObjectName(QStringLiteral("ComboBox_Op"));
    m_op->addItems(wage::choiceOperators());
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("Edit_Value"));
    m_value->setPlaceholderText(QStringLiteral("条件值"));
    m_add = new QPushButton(QStringLiteral("添加条件"), this);
    m_add->setObjectName(QStringLiteral("btn_Add"));
    m_delete = new QPushButton(QStringLiteral("删除条件"), this);
    m_delete->setObjectName(QStringLiteral("btn_Delete"));
    m_clear = new QPushButton(QStringLiteral("清空"), this);
    m_clear->setObjectName(QStringLiteral("btn_Clear"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox_Condition"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(new QLabel(QStringLiteral("关系"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("字段"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("条件"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("值"), this), 0, 3);
    grid->addWidget(m_logic, 1, 0);
    grid->addWidget(m_field, 1, 1);
    grid->addWidget(m_op, 1, 2);
    grid->addWidget(m_value, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_delete);
    buttons->addWidget(m_clear);
    buttons->addStretch();
    grid->addLayout(buttons, 2, 0, 1, 4);
    grid->addWidget(m_list, 3, 0, 1, 4);
    grid->setColumnStretch(3, 1);

    connect(m_add, &QPushButton::clicked, this, &Tchoice::btn_AddClick);
    connect(m_delete, &QPushButton::clicked, this, &Tchoice::btn_DeleteClick);
    connect(m_clear, &QPushButton::clicked, this, &Tchoice::btn_ClearClick);
    connect(m_op, &QComboBox::currentIndexChanged, this, &Tchoice::ComboBox_OpChange);
    connect(m_value, &QLineEdit::returnPressed, this, &Tchoice::btn_AddClick);
    refreshList();
}

void Tchoice::setchoi(const QString &table, wage::Connection *connection)
{
    m_table = table;
    m_connection = connection;
    m_fields.clear();
    const QList<wage::RegistryField> reg = wage::registryFields(table, connection, false);
    for (const wage::RegistryField &f : reg)
        if (!f.hidden())
            m_fields << ChoiceField{f.fieldName, f.caption, f.type};
    if (m_fields.isEmpty() && connection && connection->isOpen()) {
        try {
            for (const QString &c : connection->columns(QStringLiteral("select * from ") + table + QStringLiteral(" where 1=2")))
                m_fields << ChoiceField{c, c, QString()};
        } catch (const std::exception &) {
        }
    }
    m_field->clear();
    for (const ChoiceField &f : m_fields)
        m_field->addItem(f.caption);
    m_conditions.clear();
    refreshList();
    emit conditionChanged();
}

QString Tchoice::getcurtj() const
{
    const wage::Dialect dialect = m_connection ? m_connection->dialect() : wage::Dialect::Access;
    return wage::conditionsPredicate(m_conditions, dialect);
}

QStringList Tchoice::description() const { return wage::conditionsText(m_conditions); }

QString Tchoice::descriptionText() const { return description().join(QLatin1Char('\r')); }

bool Tchoice::addCondition(const QString &caption, const QString &op, const QString &value, const QString &logic)
{
    ChoiceCondition c;
    c.logic = logic == QStringLiteral("或者") ? logic : QStringLiteral("并且");
    for (const ChoiceField &f : m_fields)
        if (f.caption == caption) {
            c.field = f;
            break;
        }
    c.op = op;
    c.value = value;
    const QString reason = wage::validateCondition(c);
    if (!reason.isEmpty()) {
        wage::prompt().warning(reason, QStringLiteral("提示"));
        return false;
    }
    m_conditions << c;
    refreshList();
    emit conditionChanged();
    return true;
}

void Tchoice::removeCondition(int index)
{
    if (index < 0 || index >= m_conditions.size())
        return;
    m_conditions.removeAt(index);
    refreshList();
    emit conditionChanged();
}

void Tchoice::clearConditions()
{
    m_conditions.clear();
    refreshList();
    emit conditionChanged();
}

void Tchoice::btn_AddClick()
{
    if (addCondition(m_field->currentText(), m_op->currentText(), m_value->text(), m_logic->currentText()))
        m_value->clear();
}

void Tchoice::btn_DeleteClick()
{
    removeCondition(m_list->currentRow() >= 0 ? m_list->currentRow() : m_conditions.size() - 1);
}

void Tchoice::btn_ClearClick() { clearConditions(); }

void Tchoice::ComboBox_OpChange() { m_value->setEnabled(wage::operatorTakesValue(m_op->currentText())); }

void Tchoice::refreshList()
{
    m_list->clear();
    m_list->addItems(description());
    m_logic->setEnabled(!m_conditions.isEmpty());
    m_delete->setEnabled(!m_conditions.isEmpty());
    m_clear->setEnabled(!m_conditions.isEmpty());
}
