#pragma once

// Small builders for the controls every window uses, placed at absolute pixels.

#include "diagram.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QShowEvent;
class QTableWidget;

namespace kw::ui {

// The default face of every window: Liberation Sans, 10 pixels high, the size at which the
// texts fit the controls laid out for an 11-pixel bitmap sans-serif.
QFont defaultFont(bool bold = false);

// The frame the windows were laid out with, around their client area: a sizeable border
// with a caption, 8 x 27 pixels, or a fixed (single or dialog) border with a caption, 6 x 25.
enum class WindowFrame { Sizeable, Fixed };

// The client area of a window whose outer size, frame included, the layout gives; a main
// menu takes its line of 19 pixels from it too.
QSize clientSize(const QSize& outer, WindowFrame frame, bool mainMenu = false);

// Places a top-level window so that it and its frame are centred on the screen, or on the
// desktop (the screen less its panels).
void centreOnScreen(QWidget* window, WindowFrame frame, bool desktop = false);

// A label sized to its text at (x, y).
QLabel* makeLabel(QWidget* parent, int x, int y, const QString& text, bool bold = false);

// A string grid: no headers, `fixedRows` grey heading rows that cannot be selected,
// cells not editable, no scroll bars, cells `rowHeight` pixels high with a grid line below.
QTableWidget* makeStringGrid(QWidget* parent, const QRect& geometry, int columns, int rows,
                             int fixedRows, int rowHeight);
// Cells of the given widths, each with its grid line to the right.
void setColumnWidths(QTableWidget* grid, std::initializer_list<int> widths);

// Cells are addressed column first, as on the dialogs.
void setCell(QTableWidget* grid, int column, int row, const QString& text);
QString cell(const QTableWidget* grid, int column, int row);

// One-row frame grid: widths 98, 98, 10, 140, 22; column 3 `layers`, column 4 "FCS".
void setupFrameGrid(QTableWidget* grid, const QString& layers);
QString layersText(); // " Couches LLC et supérieures"

// A push button with the green tick glyph (greyed when disabled).
QPushButton* makeTickButton(QWidget* parent, const QRect& geometry, const QString& caption);

// Every bitmap ":/name.png" has a twin ":/name@2x.png" drawn at twice the size for screens of
// high density (a device pixel ratio of 1.5 or more). `pictureScale` is 2 on such a screen
// (that of `widget`, or the primary screen), else 1.
int pictureScale(const QWidget* widget = nullptr);
QString twinResource(const QString& resource); // ":/name.png" -> ":/name@2x.png"
// The bitmap for `widget`'s screen: the twin, with a device pixel ratio of 2, at scale 2
// (the plain bitmap when the twin is missing); the plain bitmap at scale 1.
QPixmap loadPicture(const QString& resource, const QWidget* widget = nullptr);

// A window restored from its minimised state gets a show event from the window system: what
// the student entered stays, and the activation rules of a new showing must not run again.
bool isNewShowing(const QShowEvent* event);

// Shows a review window modeless; one already up runs its activation again and comes to
// the front, as a window shown anew would.
void showView(QWidget* window, const std::function<void()>& activate);

// A picture that keeps what is drawn on it and reports mouse-downs in picture pixels.
// Everything it is told is in picture pixels. It keeps two canvases: `canvas()`, one pixel per
// picture pixel, and the canvas shown, at the screen's density chosen at construction, where a
// picture pixel is a `scale()` x `scale()` block, so that lines and squares drawn at run time
// land exactly on the twin bitmap's features.
class ImageView : public QWidget {
    Q_OBJECT
public:
    ImageView(QWidget* parent, const QRect& geometry, const QString& resource);

    // The picture with what was drawn on it, one pixel per picture pixel. Draw through
    // fillRect and drawPixels; a picture changed or replaced directly here is shown enlarged.
    QImage& canvas() { return m_canvas; }
    const QImage& canvas() const { return m_canvas; }

    // 1, or 2 on a high-density screen.
    int scale() const { return m_scale; }
    // The canvas shown, in device pixels, with devicePixelRatio() == scale().
    const QImage& screenCanvas() const;
    // Colour shown at picture pixel (x, y) (the top-left pixel of its block); 0 outside.
    QRgb pixelAt(int x, int y) const;

    // Filled rectangle, right and bottom edges excluded; nothing when it is empty.
    void fillRect(int left, int top, int right, int bottom, const QColor& colour);
    void drawPixels(const std::vector<kw::Pixel>& pixels, const QColor& colour);

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // After fillRect or drawPixels.
    void drawn();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void changed();

    QImage m_canvas;
    int m_scale = 1;
    // Null at scale 1, where the canvas itself is shown. Rebuilt from the canvas when the
    // canvas was changed other than through this class (its cache key then differs).
    mutable QImage m_screen;
    mutable qint64 m_drawnKey = 0;
};

} // namespace kw::ui
