#pragma once

#include <QColor>
#include <QList>
#include <QTableView>

#include "widgets/focusring.h"

#include <functional>

namespace pelanova {

struct GridColumn
{
    QString caption;
    int width = 64;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool hidden = false; // kept as a key of the line, never shown
    // Shown as a check-box mark instead of text: ticked when the cell's shown
    // text is neither empty nor "0".
    bool checkMark = false;
};

// Read-only list grid: a caption row (the header), then one empty placeholder
// row of zero height that can never be selected, so the grid always has a row
// below its captions; the data lines follow it. Lines are numbered from 0 (the
// first line below the placeholder). Whole rows are selected, one at a time.
//
// Before the selection moves to another line the grid asks its move question;
// an answer of false keeps the selection where it is. The question runs inside
// the item view's own event handling, so whatever it throws is caught by the
// grid and refuses the move: nothing reaches the item view (a screen's
// question shows its own errors through its guard first).
//
// Unselected lines are striped (by default lines 0, 2, 4 ... in the stripe
// colour, the others in the window colour; the stripe phase 1 stripes lines
// 1, 3, 5 ... instead); a selected line is drawn on a green ground in the
// selection text colour. A cell shows its shown text (its own text unless the
// screen makes it from the line's cells) on one line, vertically centred,
// aligned as its column says, or a check-box mark in a check-mark column. A
// screen can take over the drawing of any cell with a cell painter.
class StripedGridModel;

class StripedGrid : public WithFocusRing<QTableView>
{
    Q_OBJECT

public:
    // The texts of a line's cells, asked for while the line is drawn.
    using LineSource = std::function<QString(int line, int column)>;
    // The text a cell shows, made from the texts of its line.
    using ShownText = std::function<QString(int line, int column)>;
    // Returns true when it has drawn the cell itself.
    using CellPainter =
        std::function<bool(QPainter &painter, const QRect &rect, int line, int column, bool selected)>;

    explicit StripedGrid(QWidget *parent = nullptr);

    void setColumns(const QList<GridColumn> &columns);
    GridColumn columnDefinition(int column) const;
    int columnCountDefined() const { return int(m_columns.size()); }

    int lineCount() const;
    // Appends a line; returns its number.
    int addLine(const QStringList &cells);
    // Removes every line; the captions and the placeholder row stay.
    void clearLines();
    // Shows `count` lines whose texts come from `source` as they are drawn,
    // instead of lines kept by the grid: a list of any length costs no more
    // than its own data. clearLines() or addLine() end it.
    void setLineSource(int count, LineSource source);
    // Grid rows: the placeholder and the lines.
    int rowCount() const;
    QString cellText(int line, int column) const;
    void setCellText(int line, int column, const QString &text);

    // The selected line, -1 when none.
    int currentLine() const;
    // Selects a line (asking the move question first); -1 clears the selection.
    // Returns whether the selection is now on that line.
    bool setCurrentLine(int line);

    void setLineHeight(int pixels);
    void setStripeColour(const QColor &colour);
    QColor stripeColour() const { return m_stripe; }
    void setSelectionColour(const QColor &background);
    QColor selectionColour() const { return m_selection; }
    // 0 stripes lines 0, 2, 4 ...; 1 stripes lines 1, 3, 5 ...
    void setStripePhase(int phase);
    int stripePhase() const { return m_stripePhase; }
    // Without a function (the default) a cell shows its own text.
    void setShownText(ShownText shown);
    QString shownText(int line, int column) const;
    void setCellPainter(CellPainter painter);
    // A sentence shown in the middle of the grid while it has no line (none
    // when empty).
    void setEmptyText(const QString &text);
    QString emptyText() const { return m_emptyText; }

    // Grid row of a line and back (row 0 is the placeholder).
    static int rowOfLine(int line) { return line + 1; }
    static int lineOfRow(int row) { return row - 1; }

    // Used by the selection model: may the current row move to this row?
    bool allowCurrentRow(int row);
    // Used by the delegate.
    bool paintCell(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;

    using MoveQuestion = std::function<bool(int line)>;
    void setMoveQuestion(MoveQuestion question) { m_moveQuestion = std::move(question); }

signals:
    void currentLineChanged(int line);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QList<GridColumn> m_columns;
    StripedGridModel *m_model;
    QColor m_stripe{0xD7, 0xE0, 0xEC};
    QColor m_selection{0, 0x80, 0};
    int m_stripePhase = 0;
    CellPainter m_painter;
    bool m_focusing = false;
    MoveQuestion m_moveQuestion;
    QString m_emptyText;
};

} // namespace pelanova
