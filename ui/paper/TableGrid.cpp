#include "TableGrid.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QSet>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

bool HasPlainGrid(const QTextTable& table)
{
    const QTextTableFormat format = table.format();
    const QTextFrameFormat::BorderStyle style = format.borderStyle();
    if (style != QTextFrameFormat::BorderStyle_Solid && style != QTextFrameFormat::BorderStyle_Outset &&
        style != QTextFrameFormat::BorderStyle_Inset)
        return false;
    if (!format.borderCollapse() || format.border() != 1 || format.headerRowCount() > 0 ||
        format.hasProperty(QTextFormat::BackgroundBrush))
        return false;
    for (int r = 0; r < table.rows(); ++r)
        for (int c = 0; c < table.columns(); ++c) {
            const QTextTableCell cell = table.cellAt(r, c);
            // A cell set lower in its row would hide where the row starts.
            if (cell.rowSpan() != 1 || cell.columnSpan() != 1 ||
                (cell.format().verticalAlignment() != QTextCharFormat::AlignNormal &&
                 cell.format().verticalAlignment() != QTextCharFormat::AlignTop))
                return false;
            const QTextTableCellFormat f = cell.format().toTableCellFormat();
            for (const int p : {QTextFormat::TableCellTopBorderStyle, QTextFormat::TableCellBottomBorderStyle,
                                QTextFormat::TableCellLeftBorderStyle, QTextFormat::TableCellRightBorderStyle,
                                QTextFormat::BackgroundBrush, QTextFormat::TableCellTopPadding,
                                QTextFormat::TableCellBottomPadding, QTextFormat::TableCellLeftPadding,
                                QTextFormat::TableCellRightPadding})
                if (f.hasProperty(p))
                    return false;
        }
    return true;
}

// A table that holds others without rules of its own, as the statement
// sets two tables side by side: its cells start at its very corner.
bool IsBareFrame(const QTextTable& table)
{
    const QTextTableFormat f = table.format();
    return f.border() == 0 && f.cellPadding() == 0 && f.cellSpacing() == 0 && f.leftMargin() == 0 &&
           f.topMargin() == 0 && f.padding() == 0;
}

QTextTable* EnclosingTable(QTextFrame* frame)
{
    for (QTextFrame* parent = frame->parentFrame(); parent != nullptr; parent = parent->parentFrame())
        if (auto* table = qobject_cast<QTextTable*>(parent))
            return table;
    return nullptr;
}

// The corner of a table's frame. The layout's bounding rectangle of a table
// starts at the text of its own first cell, so that cell's place is taken
// off again: a grid's margin and padding, nothing for a bare frame.
QPointF Corner(const QAbstractTextDocumentLayout& layout, QTextTable* table, qreal firstCell)
{
    return layout.frameBoundingRect(table).topLeft() - QPointF(firstCell, firstCell);
}

// Where the layout paints a table: each frame at whole device pixels, from
// where the cell of the table around it was painted.
QPointF DrawnAt(const QAbstractTextDocumentLayout& layout, QTextTable* table, qreal firstCell)
{
    const QPointF corner = Corner(layout, table, firstCell);
    QTextTable* parent = EnclosingTable(table);
    if (parent == nullptr)
        return corner.toPoint();
    return (corner - Corner(layout, parent, 0) + DrawnAt(layout, parent, 0)).toPoint();
}

// The cells' edges as the layout placed them, relative to the table's frame.
struct Cells {
    std::vector<qreal> columns, widths, rows, heights;
};

Cells Measure(const QAbstractTextDocumentLayout& layout, const TableGrid& grid)
{
    const QTextTable& table = *grid.table;
    const QRectF frame = layout.frameBoundingRect(grid.table);
    const QPointF corner = Corner(layout, grid.table, grid.inset + grid.padding);
    const auto textAt = [&](int r, int c) {
        return layout.blockBoundingRect(table.cellAt(r, c).firstCursorPosition().block()).topLeft() - corner;
    };
    Cells cells;
    for (int c = 0; c < table.columns(); ++c)
        cells.columns.push_back(textAt(0, c).x() - grid.padding);
    for (int r = 0; r < table.rows(); ++r) {
        // A cell shorter than its row starts at the row's top all the same.
        qreal top = textAt(r, 0).y();
        for (int c = 1; c < table.columns(); ++c)
            top = std::min(top, textAt(r, c).y());
        cells.rows.push_back(top - grid.padding);
    }
    // The table's margins are the same all round.
    for (std::size_t c = 0; c + 1 < cells.columns.size(); ++c)
        cells.widths.push_back(cells.columns[c + 1] - cells.columns[c]);
    cells.widths.push_back(frame.width() - grid.inset - cells.columns.back());
    for (std::size_t r = 0; r + 1 < cells.rows.size(); ++r)
        cells.heights.push_back(cells.rows[r + 1] - cells.rows[r]);
    // The last row is as tall as its tallest cell, text and padding
    // rounded to the device pixel, as the layout sizes every row.
    qreal last = 0;
    const int lastRow = table.rows() - 1;
    for (int c = 0; c < table.columns(); ++c) {
        const QTextTableCell cell = table.cellAt(lastRow, c);
        const qreal top = layout.blockBoundingRect(cell.firstCursorPosition().block()).top();
        const qreal bottom = layout.blockBoundingRect(cell.lastCursorPosition().block()).bottom();
        last = std::max(last, std::floor(bottom - top + 2 * grid.padding + 0.5));
    }
    cells.heights.push_back(last);
    return cells;
}

} // namespace

QList<TableGrid> TakeTableGrids(QTextDocument& document, qreal deviceScale)
{
    // The tables of a document being filled are found through the formats
    // that point at them: its frames are not all known until the edit ends.
    QSet<QTextTable*> tables;
    for (const QTextFormat& format : document.allFormats())
        if (const int index = format.objectIndex(); index >= 0)
            if (auto* table = qobject_cast<QTextTable*>(document.object(index)))
                tables.insert(table);
    QList<TableGrid> grids;
    for (QTextTable* table : tables) {
        if (!HasPlainGrid(*table))
            continue;
        QTextTableFormat format = table->format();
        // A collapsed rule is shared half and half by the cells on either
        // side, and the outer rule sets the first cell in by the table's
        // border and half a rule more, rounded to the device pixel.
        const qreal rule = format.border() * deviceScale;
        const qreal inset = std::round(rule / 2) + std::round(rule);
        TableGrid grid{table, rule, inset, (format.cellPadding() + format.border() / 2) * deviceScale,
                       format.borderBrush().style() == Qt::NoBrush ? QColor(Qt::black) : format.borderBrush().color(),
                       format.borderStyle()};
        format.setBorderCollapse(false);
        format.setCellPadding(format.cellPadding() + format.border() / 2);
        format.setBorder(0);
        format.setLeftMargin(inset / deviceScale);
        format.setRightMargin(inset / deviceScale);
        format.setTopMargin(inset / deviceScale);
        format.setBottomMargin(inset / deviceScale);
        table->setFormat(format);
        grids << grid;
    }
    return grids;
}

bool GridsCanBePainted(const QAbstractTextDocumentLayout& layout, const QList<TableGrid>& grids, qreal pageHeight)
{
    for (const TableGrid& grid : grids) {
        // Known only once the document is whole: the tables around a grid.
        for (QTextTable* parent = EnclosingTable(grid.table); parent != nullptr; parent = EnclosingTable(parent))
            if (!IsBareFrame(*parent))
                return false;
        const QRectF frame = layout.frameBoundingRect(grid.table);
        if (std::floor(frame.top() / pageHeight) != std::floor((frame.bottom() - 1) / pageHeight))
            return false;
    }
    return true;
}

void PaintTableGrids(QPainter& painter, const QAbstractTextDocumentLayout& layout, const QList<TableGrid>& grids,
                     const QRectF& clip)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (const TableGrid& grid : grids) {
        if (!layout.frameBoundingRect(grid.table).intersects(clip))
            continue;
        // An outset grid is lighter above and left of each cell, an inset
        // one below and right, as the collapsed table shades its rules.
        const QColor lighter = grid.colour.lighter();
        const QColor& topLeft = grid.style == QTextFrameFormat::BorderStyle_Outset ? lighter : grid.colour;
        const QColor& bottomRight = grid.style == QTextFrameFormat::BorderStyle_Inset ? lighter : grid.colour;
        const Cells cells = Measure(layout, grid);
        const QPointF at = DrawnAt(layout, grid.table, grid.inset + grid.padding);
        // Each rule straddles the cells' common edge: ceil of its half on
        // one side, floor on the other. Every cell paints its four edges,
        // so a rule between two cells is painted twice, as the collapsed
        // table paints it; a vertical rule runs on past the cell's bottom
        // corner only in the last row.
        const qreal rule = grid.rule, a = std::ceil(rule / 2), b = std::floor(rule / 2);
        const int rows = grid.table->rows(), columns = grid.table->columns();
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                // The cell at whole device pixels, as its rules are drawn.
                const QRectF cell =
                    QRectF(QRectF(at.x() + cells.columns[std::size_t(c)], at.y() + cells.rows[std::size_t(r)],
                                  cells.widths[std::size_t(c)], cells.heights[std::size_t(r)])
                               .toRect());
                const qreal x0 = cell.left(), x1 = cell.right(), y0 = cell.top(), y1 = cell.bottom();
                const qreal end = r + 1 == rows ? y1 + b : y1 - a;
                painter.setBrush(topLeft);
                painter.drawRect(QRectF(QPointF(x0 + b, y0 - a), QPointF(x1 - a, y0 - a + rule)));
                painter.drawRect(QRectF(QPointF(x0 - a, y0 - a), QPointF(x0 - a + rule, end)));
                painter.setBrush(bottomRight);
                painter.drawRect(QRectF(QPointF(x1 - rule + b, y0 - a), QPointF(x1 + b, end)));
                painter.drawRect(QRectF(QPointF(x0 + b, y1 - rule + b), QPointF(x1 - a, y1 + b)));
            }
    }
    painter.restore();
}
