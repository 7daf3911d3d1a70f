#include "kit/griddelegate.h"

#include "core/handlerguard.h"
#include "kit/gridmodel.h"

#include <QPainter>

namespace wage {

GridDelegate::GridDelegate(GridModel *model, QObject *parent) : QStyledItemDelegate(parent), m_model(model) {}

void GridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (m_model->isCheckColumn(index.column())) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const int gc = m_model->gridColumn(index.column());
    if (const ProgressHook hook = m_model->progressHook(gc)) {
        const ProgressCell cell = hook(index.row());
        painter->save();
        const QRect r = option.rect.adjusted(1, 1, -2, -2);
        painter->fillRect(option.rect, option.palette.base());
        QRect bar = r.adjusted(1, 1, 0, 0);
        bar.setWidth(bar.width() * qBound(0, cell.percent, 100) / 100);
        if (bar.width() > 0)
            painter->fillRect(bar, cell.bar);
        painter->setPen(QColor(0x80, 0x80, 0x80));
        painter->drawRect(r);
        painter->setPen(Qt::black);
        painter->drawText(option.rect, Qt::AlignCenter, cell.text);
        painter->restore();
        return;
    }
    CellStyle style;
    const CellStyleHook &hook = m_model->styleHook();
    if (hook && hook(index.row(), gc, &style)) {
        QStyleOptionViewItem opt(option);
        if (style.background.isValid()) {
            painter->fillRect(option.rect, style.background);
            opt.state &= ~QStyle::State_Selected;
        }
        if (style.foreground.isValid()) {
            opt.palette.setColor(QPalette::Text, style.foreground);
            opt.palette.setColor(QPalette::HighlightedText, style.foreground);
        }
        QStyledItemDelegate::paint(painter, opt, index);
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    // Writing the value may first post the record being left, which the database can refuse.
    const QString title = editor->window()->windowTitle();
    guardHandler(title.isEmpty() ? QStringLiteral("提示") : title,
                 [&] { QStyledItemDelegate::setModelData(editor, model, index); });
}

} // namespace wage
