#include "priceadj/toption_form.h"

#include "core/strutil.h"
#include "db/dbroutines.h"
#include "kit/sqlroutines.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TOption_Form::TOption_Form(wage::Connection *connection, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint), m_connection(connection)
{
    setObjectName(QStringLiteral("Option_Form"));
    setWindowTitle(QStringLiteral("选项设置"));
    setFixedSize(431, 176);
    auto *layout = new QVBoxLayout(this);
    auto *group = new QGroupBox(QStringLiteral("设置可以调整的项目"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    ListView1 = new QListWidget(group);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setWrapping(true);
    (new QVBoxLayout(group))->addWidget(ListView1);
    layout->addWidget(group, 1);
    BitBtn1 = new QPushButton(QStringLiteral("保存设置"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
    connect(BitBtn1, &QPushButton::clicked, this, &TOption_Form::BitBtn1Click);
}

void TOption_Form::fillFields()
{
    ListView1->clear();
    const QStringList captions = GetSqlList(
        QStringLiteral("select Field_caption from f_system where table_name='f_jijm' and (field_type='货币型' or "
                       "field_type='数值型' or field_type='整型')  and Field_jsgs is null and field_visible<>'隐藏'"),
        m_connection);
    for (const QString &caption : captions) {
        auto *item = new QListWidgetItem(caption, ListView1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

QString TOption_Form::checkedList() const
{
    QString list;
    for (int i = 0; i < ListView1->count(); ++i)
        if (ListView1->item(i)->checkState() == Qt::Checked)
            list += ListView1->item(i)->text() + QLatin1Char(',');
    return TrimText(list);
}

void TOption_Form::BitBtn1Click()
{
    const QString list = wage::sqlQuote(checkedList());
    bool exists = false;
    try {
        exists = GetSqli(QStringLiteral("select count(*) from tempconfig where key_name='F_jijm_TZGJ'"), m_connection) != 0;
    } catch (const std::exception &) {
    }
    if (exists)
        RunSqlCommand(QStringLiteral("update tempconfig set gridwidth='") + list + QStringLiteral("' where key_name='F_jijm_TZGJ'"),
                      m_connection);
    else
        RunSqlCommand(QStringLiteral("insert into tempconfig (key_name,gridwidth) values ('F_jijm_TZGJ','") + list
                          + QStringLiteral("') "),
                      m_connection);
    emit saved();
    accept();
}
