#pragma once

// The ruled tables of a statement drawn by the program itself rather than by
// the text layout. A table with collapsed borders costs the layout a search
// of the neighbouring cells for every edge it measures and paints, which was
// most of the time a bundle of a thousand statements took. Such a table is
// laid out instead without borders, each cell padded by the half rule it
// would have shared with its neighbours and the table set in by its outer
// rule, which places every cell and every letter exactly where the collapsed
// table had them; the rules are then painted from the laid-out cells, edge
// by edge as the collapsed table painted them, so the page is the same
// pixels.

#include <QColor>
#include <QList>
#include <QTextFrameFormat>

class QAbstractTextDocumentLayout;
class QPainter;
class QRectF;
class QTextDocument;
class QTextTable;

/// A table whose rules are drawn by PaintTableGrids.
struct TableGrid {
    QTextTable* table = nullptr;
    qreal rule = 0;     ///< width of a rule, in device pixels
    qreal inset = 0;    ///< the table's edge to its first cell, in whole device pixels
    qreal padding = 0;  ///< a cell's edge to its text, in device pixels
    QColor colour;      ///< the rules' colour
    QTextFrameFormat::BorderStyle style = QTextFrameFormat::BorderStyle_Solid;  ///< solid, inset or outset
};

/// Turns every table of document that has a uniform 1-pixel grid of
/// collapsed borders (no rules of its cells' own, no header rows repeated
/// on each page, no shaded cells, no spans, every cell at the top of its
/// row) into the borderless table that
/// lays out the same, for a device of deviceScale device pixels a pixel of
/// the document. Call before the document is laid out.
QList<TableGrid> TakeTableGrids(QTextDocument& document, qreal deviceScale);

/// False when the rules of grids cannot be painted as the layout would
/// have painted them: a table runs over a page of pageHeight (the layout
/// cuts its rules at the page) or sits in a table with rules, margins or
/// padding of its own. Such a document is laid out again with its borders
/// as they were. Call after the layout.
bool GridsCanBePainted(const QAbstractTextDocumentLayout& layout, const QList<TableGrid>& grids, qreal pageHeight);

/// Paints the rules of grids that meet clip, in document coordinates.
void PaintTableGrids(QPainter& painter, const QAbstractTextDocumentLayout& layout, const QList<TableGrid>& grids,
                     const QRectF& clip);
