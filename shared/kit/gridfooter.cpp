#include "kit/gridfooter.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

namespace wage {

GridFooter::GridFooter(QTableView *view, QWidget *parent) : QWidget(parent), m_view(view)
{
    setObjectName(QStringLiteral("Footer"));
    auto repaint = [this] { update(); };
    connect(view->horizontalHeader(), &QHeaderView::sectionResized, this, repaint);
    connect(view->horizontalHeader(), &QHeaderView::sectionMoved, this, repaint);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
}

void GridFooter::setTexts(const QStringList &texts)
{
    m_texts = texts;
    update();
}

QSize GridFooter::sizeHint() const { return QSize(100, fontMetrics().height() + 8); }

void GridFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    const int offset = m_view->frameWidth() + (m_view->verticalHeader()->isVisible() ? m_view->verticalHeader()->width() : 0);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::ButtonText));
    // The label may run over the tick column, which never has a sum.
    const QString label = QStringLiteral("合计");
    const int labelWidth = qMax(offset, fontMetrics().horizontalAdvance(label) + 8);
    p.drawText(QRect(0, 0, labelWidth, height()), Qt::AlignCenter, label);
    p.setClipRect(QRect(labelWidth, 0, width() - labelWidth, height()));
    const QHeaderView *h = m_view->horizontalHeader();
    for (int c = 0; c < m_texts.size() && c < h->count(); ++c) {
        if (h->isSectionHidden(c) || m_texts.at(c).isEmpty())
            continue;
        const QRect cell(offset + h->sectionViewportPosition(c), 0, h->sectionSize(c), height());
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(cell.topRight(), cell.bottomRight());
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(cell.adjusted(2, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, m_texts.at(c));
    }
}

} // namespace wage
