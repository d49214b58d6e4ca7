#include "ui/grid_model.h"

#include "shell/tmyform.h"
#include "view/hex_grid.h"

#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace kestro {

namespace {
const QColor kFixedCell(128, 0, 0); // maroon fixed row and column
const QColor kFixedEdge(64, 0, 0);
const QColor kCell(0, 0, 128);      // navy byte cells
constexpr int kRowHeight = 20;
constexpr int kColumnWidths[kGridColumns] = {52, 18, 18, 18, 18, 18, 18, 18, 18,
                                             18, 18, 18, 18, 18, 18, 18, 18, 126};
} // namespace

int GridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    const int rows = form_.model.control("ProgGrid").rowCount;
    return rows > 1 ? rows - 1 : 0;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kGridColumns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(form_.cellText(index.row() + 1, index.column()));
    case Qt::BackgroundRole:
        return QBrush(index.column() == 0 ? kFixedCell : kCell);
    case Qt::ForegroundRole: return QBrush(Qt::white);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default: return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return QString::fromStdString(form_.cellText(0, section));
}

namespace {


// Cell text starts one pixel right of and below the cell's corner and is never
// elided: the 18-pixel byte columns only just hold two digits.
void drawCellText(QPainter* p, const QRect& r, const QString& text) {
    p->drawText(r.adjusted(1, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
        const bool selected = opt.state & QStyle::State_Selected;
        p->fillRect(opt.rect, selected ? opt.palette.color(QPalette::Highlight)
                                       : index.data(Qt::BackgroundRole).value<QBrush>().color());
        p->setPen(Qt::white);
        p->setFont(opt.font);
        drawCellText(p, opt.rect, index.data(Qt::DisplayRole).toString());
    }
};

class FixedRowHeader : public QHeaderView {
public:
    explicit FixedRowHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* p, const QRect& r, int section) const override {
        p->save();
        p->fillRect(r, kFixedCell);
        p->setPen(kFixedEdge);
        p->drawLine(r.topRight(), r.bottomRight());
        p->drawLine(r.bottomLeft(), r.bottomRight());
        p->setPen(Qt::white);
        p->setFont(font());
        drawCellText(p, r, model()->headerData(section, Qt::Horizontal).toString());
        p->restore();
    }
};

} // namespace

HexGridView::HexGridView(TMyForm& form, GridModel* model, QWidget* parent)
    : QTableView(parent), form_(form) {
    setHorizontalHeader(new FixedRowHeader(this));
    setItemDelegate(new CellDelegate(this));
    model->setParent(this);
    setModel(model);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0); // a larger font must not widen the columns
    horizontalHeader()->setFixedHeight(kRowHeight);
    // One stop for Tab; the arrows move inside.
    setTabKeyNavigation(false);
    horizontalHeader()->setStyleSheet("QHeaderView { background-color: #000080; }");
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setStyleSheet("QTableView { background-color: #000080; gridline-color: #000060; }");
    for (int col = 0; col < kGridColumns; ++col) setColumnWidth(col, kColumnWidths[col]);
}

void HexGridView::paintEvent(QPaintEvent* e) {
    form_.gridPaintPass();
    QTableView::paintEvent(e);
}

void GridModel::refresh() {
    beginResetModel();
    endResetModel();
}

} // namespace kestro
