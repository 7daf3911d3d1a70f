#pragma once
// Owner drawing of the data grid's cells: colours from the owner's style hook (kept also on
// the selected row) and progress bars in columns that have a progress hook. An edit the
// database refuses while it is written to the record is shown, not thrown into the view.
#include <QStyledItemDelegate>

namespace wage {

class GridModel;

class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    GridDelegate(GridModel *model, QObject *parent);
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    GridModel *m_model;
};

} // namespace wage
