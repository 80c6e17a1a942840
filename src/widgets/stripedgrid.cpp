#include "widgets/stripedgrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QStyledItemDelegate>

namespace pelanova {

namespace {

// Lets the grid refuse a move of the current row, and keeps the selection on
// the current row only.
class GridSelectionModel : public QItemSelectionModel
{
public:
    GridSelectionModel(QAbstractItemModel *model, StripedGrid *grid)
        : QItemSelectionModel(model, grid), m_grid(grid) {}

    void setCurrentIndex(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) override
    {
        if (!index.isValid() || index.row() == currentIndex().row()) {
            QItemSelectionModel::setCurrentIndex(index, command);
            return;
        }
        // The receiver may rebuild the grid while it is asked; a line that
        // is gone then is not selected.
        const QPersistentModelIndex target(index);
        if (!m_grid->allowCurrentRow(index.row()) || !target.isValid())
            return;
        // The selection always goes with the current row, also where the
        // view moves the current row alone (a mouse drag, Ctrl with an
        // arrow key): the line that was asked about is the selected line.
        QItemSelectionModel::setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    void select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) override
    {
        const int current = currentIndex().isValid() ? currentIndex().row() : -1;
        // The user may move the selected line but not take it away (Ctrl
        // with a click or Space, a click below the lines); the grid clears it
        // itself only after dropping the current row.
        if (current >= 1) {
            bool holdsCurrent = false;
            for (const QModelIndex &index : selection.indexes())
                holdsCurrent = holdsCurrent || index.row() == current;
            if ((command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) && holdsCurrent)
                return;
            if ((command & QItemSelectionModel::Clear) && !holdsCurrent)
                return;
        }
        if (command & (QItemSelectionModel::Select | QItemSelectionModel::Toggle)) {
            for (const QModelIndex &index : selection.indexes()) {
                if (index.row() == 0 || index.row() != current)
                    return;
            }
        }
        QItemSelectionModel::select(selection, command);
    }

private:
    StripedGrid *m_grid;
};

class GridDelegate : public QStyledItemDelegate
{
public:
    explicit GridDelegate(StripedGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        m_grid->paintCell(*painter, option, index);
        painter->restore();
    }

private:
    StripedGrid *m_grid;
};

} // namespace

StripedGrid::StripedGrid(QWidget *parent)
    : WithFocusRing(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    QItemSelectionModel *old = selectionModel();
    setSelectionModel(new GridSelectionModel(model(), this));
    delete old;
    setItemDelegate(new GridDelegate(this));

    setRowCount(1);
    setRowHeight(0, 0);
    setRowHidden(0, true);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &) {
                emit currentLineChanged(current.isValid() ? lineOfRow(current.row()) : -1);
            });
}

void StripedGrid::setColumns(const QList<GridColumn> &columns)
{
    m_columns = columns;
    setColumnCount(int(columns.size()));
    QStringList captions;
    for (int c = 0; c < columns.size(); ++c) {
        captions << columns[c].caption;
        setColumnWidth(c, columns[c].hidden ? 0 : columns[c].width);
        setColumnHidden(c, columns[c].hidden);
    }
    setHorizontalHeaderLabels(captions);
    for (int c = 0; c < columns.size(); ++c) {
        if (QTableWidgetItem *header = horizontalHeaderItem(c))
            header->setTextAlignment(Qt::AlignCenter);
    }
}

GridColumn StripedGrid::columnDefinition(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns[column] : GridColumn{};
}

int StripedGrid::lineCount() const
{
    return rowCount() - 1;
}

int StripedGrid::addLine(const QStringList &cells)
{
    const int row = rowCount();
    setRowCount(row + 1);
    for (int c = 0; c < cells.size() && c < columnCount(); ++c)
        setItem(row, c, new QTableWidgetItem(cells[c]));
    return lineOfRow(row);
}

void StripedGrid::clearLines()
{
    selectionModel()->clearCurrentIndex();
    clearSelection();
    setRowCount(1);
    setRowHidden(0, true);
}

QString StripedGrid::cellText(int line, int column) const
{
    const QTableWidgetItem *cell = item(rowOfLine(line), column);
    return cell ? cell->text() : QString();
}

void StripedGrid::setCellText(int line, int column, const QString &text)
{
    const int row = rowOfLine(line);
    if (line < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    if (QTableWidgetItem *cell = item(row, column))
        cell->setText(text);
    else
        setItem(row, column, new QTableWidgetItem(text));
    // A cell painter may draw a cell from the other cells of its line (an
    // amount shown only beside a tick), so the whole line is drawn again.
    viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

int StripedGrid::currentLine() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid() || current.row() < 1 || !selectionModel()->isRowSelected(current.row()))
        return -1;
    return lineOfRow(current.row());
}

bool StripedGrid::setCurrentLine(int line)
{
    if (line < 0 || line >= lineCount()) {
        if (line < 0) {
            selectionModel()->clearCurrentIndex();
            clearSelection();
        }
        return line < 0;
    }
    int column = currentIndex().isValid() ? currentIndex().column() : 0;
    while (column < columnCount() - 1 && isColumnHidden(column))
        ++column;
    selectionModel()->setCurrentIndex(model()->index(rowOfLine(line), column),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return currentLine() == line;
}

void StripedGrid::setLineHeight(int pixels)
{
    verticalHeader()->setDefaultSectionSize(pixels);
    for (int row = 1; row < rowCount(); ++row)
        setRowHeight(row, pixels);
}

void StripedGrid::setStripeColour(const QColor &colour)
{
    m_stripe = colour;
    viewport()->update();
}

void StripedGrid::setSelectionColour(const QColor &background)
{
    m_selection = background;
    viewport()->update();
}

void StripedGrid::setCellPainter(CellPainter painter)
{
    m_painter = std::move(painter);
    viewport()->update();
}

void StripedGrid::focusInEvent(QFocusEvent *event)
{
    // Taking the focus alone selects no line (and asks nothing).
    m_focusing = true;
    WithFocusRing::focusInEvent(event);
    m_focusing = false;
}

bool StripedGrid::allowCurrentRow(int row)
{
    if (row < 1 || m_focusing)
        return false;
    bool allow = true;
    emit selectingLine(lineOfRow(row), allow);
    return allow;
}

bool StripedGrid::paintCell(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int line = lineOfRow(index.row());
    const bool selected = option.state & QStyle::State_Selected;
    if (m_painter && m_painter(painter, option.rect, line, index.column(), selected))
        return true;

    const QPalette &pal = option.palette;
    QColor ground;
    QColor ink;
    if (selected) {
        ground = m_selection;
        ink = pal.color(QPalette::Active, QPalette::HighlightedText);
    } else {
        ground = line % 2 == 0 ? m_stripe : pal.color(QPalette::Active, QPalette::Base);
        ink = pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    }
    painter.fillRect(option.rect, ground);
    const GridColumn column = columnDefinition(index.column());
    const QRect text = option.rect.adjusted(2, 0, -2, 0);
    painter.setPen(ink);
    painter.setFont(option.font);
    const QString value = index.data(Qt::DisplayRole).toString();
    painter.drawText(text, int(column.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine,
                     value);
    return true;
}

} // namespace pelanova
