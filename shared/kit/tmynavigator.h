#pragma once
// The navigator bar over a grid's data source: one button per caption, in order. A button's
// kind comes from its caption: 新增 insert, 删除 delete, 修改 edit, 保存 save, 取消 cancel,
// 刷新 refresh, 首条/上条/下条/末条 moves, 关闭 close; any other caption is a custom button.
// Moves and refresh act on the dataset here. Editing buttons raise DatasetEditorRequested with
// the editor action (1 new, 2 edit, 3 save, 4 cancel, 5 delete) for the owner's handler; with
// no handler connected they call DatasetEditor on the dataset themselves. Every press then
// sets CurCaption and raises Click (the owner's MyNavigator1Click).
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QToolButton;

namespace wage { class Connection; class DataGrid; class Dataset; }

class TMyNavigator : public QWidget {
    Q_OBJECT
public:
    enum Kind { Insert, Delete, Edit, Save, Cancel, Refresh, First, Prior, Next, Last, Close, Custom };

    TMyNavigator(const QStringList &captions, wage::DataGrid *grid, QWidget *parent = nullptr);

    // The caption of the button pressed last.
    QString CurCaption;
    // Table and connection the built-in editor writes with.
    void setEditorTarget(const QString &table, wage::Connection *connection);
    void setHints(const QStringList &hints);
    void setGrid(wage::DataGrid *grid);

    QToolButton *button(const QString &caption) const;
    QList<QToolButton *> buttons() const { return m_buttons; }
    static Kind kindOf(const QString &caption);
    // Presses the button with that caption, as a click does.
    void press(const QString &caption);

signals:
    void DatasetEditorRequested(int action);
    void Click(const QString &caption);

private:
    wage::Dataset *dataset() const;
    void buttonClicked(int index);
    void updateStates();

    QStringList m_captions;
    QList<QToolButton *> m_buttons;
    QPointer<wage::DataGrid> m_grid;
    QString m_table;
    QPointer<wage::Connection> m_connection;
    QMetaObject::Connection m_stateLink;
};
