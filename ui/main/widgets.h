#pragma once

// Small builders for the controls every window uses, placed at absolute pixels.

#include "diagram.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace kw::ui {

// Sans-serif, 11 pixels high: the default face of every window.
QFont defaultFont(bool bold = false);

// A label sized to its text at (x, y).
QLabel* makeLabel(QWidget* parent, int x, int y, const QString& text, bool bold = false);

// A string grid: no headers, `fixedRows` grey heading rows that cannot be selected,
// cells not editable, no scroll bars, rows of `rowHeight` pixels.
QTableWidget* makeStringGrid(QWidget* parent, const QRect& geometry, int columns, int rows,
                             int fixedRows, int rowHeight);
void setColumnWidths(QTableWidget* grid, std::initializer_list<int> widths);

// Cells are addressed column first, as on the dialogs.
void setCell(QTableWidget* grid, int column, int row, const QString& text);
QString cell(const QTableWidget* grid, int column, int row);

// One-row frame grid: widths 98, 98, 10, 140, 22; column 3 `layers`, column 4 "FCS".
void setupFrameGrid(QTableWidget* grid, const QString& layers);
QString layersText(); // " Couches LLC et supérieures"

// A push button with the green tick glyph (greyed when disabled).
QPushButton* makeTickButton(QWidget* parent, const QRect& geometry, const QString& caption);

// A picture that keeps what is drawn on it and reports mouse-downs in picture pixels.
class ImageView : public QWidget {
    Q_OBJECT
public:
    ImageView(QWidget* parent, const QRect& geometry, const QString& resource);

    QImage& canvas() { return m_canvas; }
    const QImage& canvas() const { return m_canvas; }

    // Filled rectangle, right and bottom edges excluded.
    void fillRect(int left, int top, int right, int bottom, const QColor& colour);
    void drawPixels(const std::vector<kw::Pixel>& pixels, const QColor& colour);

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage m_canvas;
};

} // namespace kw::ui
