#include "ui/grid_model.h"

#include "shell/tmyform.h"

#include <QBrush>
#include <QColor>

namespace kestro {

int GridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    const int rows = form_.model.control("ProgGrid").rowCount;
    return rows > 1 ? rows - 1 : 0;
}

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 18; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(form_.cellText(index.row() + 1, index.column()));
    case Qt::BackgroundRole:
        return QBrush(index.column() == 0 ? QColor(128, 0, 0) : QColor(0, 0, 128));
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

void GridModel::refresh() {
    beginResetModel();
    endResetModel();
}

} // namespace kestro
