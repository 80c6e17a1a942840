#include "widgets/stripedgrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QStyleOptionButton>
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

// Row 0 is the placeholder; the lines follow. Lines are kept as texts, or
// asked for from a source; the display role is the cell's shown text.
class StripedGridModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : 1 + lineCount();
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(captions.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() < 1)
            return {};
        return shownText(index.row() - 1, index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= captions.size())
            return {};
        if (role == Qt::DisplayRole)
            return captions[section];
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignCenter);
        return {};
    }

    int lineCount() const { return source ? sourceCount : int(lines.size()); }
    QString text(int line, int column) const
    {
        if (line < 0 || line >= lineCount())
            return {};
        if (source)
            return source(line, column);
        const QStringList &cells = lines[size_t(line)];
        return column >= 0 && column < cells.size() ? cells[column] : QString();
    }
    QString shownText(int line, int column) const
    {
        if (line < 0 || line >= lineCount())
            return {};
        return shown ? shown(line, column) : text(line, column);
    }
    void setCaptions(const QStringList &list)
    {
        beginResetModel();
        captions = list;
        endResetModel();
    }
    void clear()
    {
        beginResetModel();
        lines.clear();
        source = nullptr;
        sourceCount = 0;
        endResetModel();
    }
    int append(const QStringList &cells)
    {
        if (source)
            clear();
        const int row = 1 + int(lines.size());
        beginInsertRows(QModelIndex(), row, row);
        lines.push_back(cells);
        endInsertRows();
        return row - 1;
    }
    void setText(int line, int column, const QString &value)
    {
        if (source || line < 0 || line >= int(lines.size()) || column < 0 || column >= captions.size())
            return;
        QStringList &cells = lines[size_t(line)];
        while (cells.size() <= column)
            cells << QString();
        cells[column] = value;
        emit dataChanged(index(line + 1, column), index(line + 1, column));
    }
    void setSource(int count, StripedGrid::LineSource lineSource)
    {
        beginResetModel();
        lines.clear();
        source = std::move(lineSource);
        sourceCount = source ? std::max(0, count) : 0;
        endResetModel();
    }

    QStringList captions;
    std::vector<QStringList> lines;
    StripedGrid::LineSource source;
    int sourceCount = 0;
    StripedGrid::ShownText shown;
};

StripedGrid::StripedGrid(QWidget *parent)
    : WithFocusRing(parent), m_model(new StripedGridModel(this))
{
    setModel(m_model);
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

    setRowHeight(0, 0);
    setRowHidden(0, true);
    // A model reset shows every row again; the placeholder stays hidden.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { setRowHidden(0, true); });

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current, const QModelIndex &) {
                emit currentLineChanged(current.isValid() ? lineOfRow(current.row()) : -1);
            });
}

void StripedGrid::setColumns(const QList<GridColumn> &columns)
{
    m_columns = columns;
    QStringList captions;
    for (const GridColumn &column : columns)
        captions << column.caption;
    m_model->setCaptions(captions);
    for (int c = 0; c < columns.size(); ++c) {
        setColumnWidth(c, columns[c].hidden ? 0 : columns[c].width);
        setColumnHidden(c, columns[c].hidden);
    }
}

GridColumn StripedGrid::columnDefinition(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns[column] : GridColumn{};
}

int StripedGrid::lineCount() const
{
    return m_model->lineCount();
}

int StripedGrid::rowCount() const
{
    return m_model->rowCount();
}

int StripedGrid::addLine(const QStringList &cells)
{
    return m_model->append(cells);
}

void StripedGrid::clearLines()
{
    selectionModel()->clearCurrentIndex();
    clearSelection();
    m_model->clear();
}

void StripedGrid::setLineSource(int count, LineSource source)
{
    selectionModel()->clearCurrentIndex();
    clearSelection();
    m_model->setSource(count, std::move(source));
}

QString StripedGrid::cellText(int line, int column) const
{
    return m_model->text(line, column);
}

void StripedGrid::setCellText(int line, int column, const QString &text)
{
    m_model->setText(line, column, text);
    // A cell may show a text made from the other cells of its line (an
    // amount shown only beside a tick), so the whole line is drawn again.
    const int row = rowOfLine(line);
    if (line >= 0 && row < rowCount())
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
    while (column < m_model->columnCount() - 1 && isColumnHidden(column))
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
    setRowHeight(0, 0);
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

void StripedGrid::setStripePhase(int phase)
{
    m_stripePhase = phase & 1;
    viewport()->update();
}

void StripedGrid::setShownText(ShownText shown)
{
    m_model->shown = std::move(shown);
    viewport()->update();
}

QString StripedGrid::shownText(int line, int column) const
{
    return m_model->shownText(line, column);
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
    if (!m_moveQuestion)
        return true;
    try {
        return m_moveQuestion(lineOfRow(row));
    } catch (...) {
        return false;
    }
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
        ground = (line - m_stripePhase) % 2 == 0 ? m_stripe : pal.color(QPalette::Active, QPalette::Base);
        ink = pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    }
    painter.fillRect(option.rect, ground);
    const GridColumn column = columnDefinition(index.column());
    const QString value = m_model->shownText(line, index.column());
    if (column.checkMark) {
        const QRect &cell = option.rect;
        QStyleOptionButton mark;
        mark.rect = QRect(cell.left() + cell.width() / 2 - 7, cell.top() + (cell.height() - 14) / 2, 14, 14);
        const bool ticked = !value.isEmpty() && value != QLatin1String("0");
        mark.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
        mark.palette = palette();
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &mark, &painter, this);
        return true;
    }
    const QRect text = option.rect.adjusted(2, 0, -2, 0);
    painter.setPen(ink);
    painter.setFont(option.font);
    painter.drawText(text, int(column.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine,
                     value);
    return true;
}

void StripedGrid::setEmptyText(const QString &text)
{
    m_emptyText = text;
    viewport()->update();
}

void StripedGrid::paintEvent(QPaintEvent *event)
{
    WithFocusRing<QTableView>::paintEvent(event);
    if (m_emptyText.isEmpty() || lineCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QRect area = viewport()->rect();
    area.setTop(horizontalHeader()->isVisible() ? 0 : rowHeight(0));
    painter.drawText(area.adjusted(8, 8, -8, -8), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_emptyText);
}

} // namespace pelanova
