#pragma once

#include <QAbstractTableModel>
#include <QTableView>

namespace kestro {

class TMyForm;

// The hex grid asks the core for every cell when it is painted; nothing is cached,
// so a 1 MiB image costs no more than a short one. Row 0 of the core's grid (the
// header) is shown as the view's horizontal header.
class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(TMyForm& form) : form_(form) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    void refresh();

private:
    TMyForm& form_;
};

// The grid widget: before each paint pass the core gets one call, so work that
// concerns the whole image (the PIC word mask) is not repeated for every cell.
class HexGridView : public QTableView {
public:
    // Takes ownership of the model; sets the grid's fixed look (widths, heights, colours).
    HexGridView(TMyForm& form, GridModel* model, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TMyForm& form_;
};

} // namespace kestro
