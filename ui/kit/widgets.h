#pragma once

// Small builders for the controls every window uses, placed at absolute pixels.

#include "diagram.h"
#include "global.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
class QTableWidget;

namespace kw::ui {

// The game's texts are UTF-8.
QString fromUtf8(const std::string& text);
QColor toQColor(kw::Rgb colour);

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
// The grid's current cell, put there without the grid telling of the change.
void setCurrentCell(QTableWidget* grid, int column, int row);

// One-row frame grid: widths 98, 98, 10, 140, 22.
void setupFrameGrid(QTableWidget* grid);
// Its five cells.
void showFrame(QTableWidget* grid, const std::array<std::string, 5>& cells);

// Texts, visibility and ticks as the game's view has them, changed only where they differ.
void setText(QLabel* label, const QString& text);
void setText(QLineEdit* edit, const QString& text);
void setShown(QWidget* widget, bool shown);

// A press of Enter (Return or the keypad's Enter) without modifiers.
bool isEnterKey(const QEvent* event);

// One act per press: a held Enter or Space is one act, whatever takes it (a grid, a default
// button, a message box, a picture), as a held click would be. Installed once for the whole
// program, it drops the presses the keyboard repeats while the key is held.
void ignoreHeldKeys();

// The window has just become the active window (its activation runs).
bool becameActive(const QWidget* window, const QEvent* event);

// A push button with the green tick glyph (greyed when disabled).
QPushButton* makeTickButton(QWidget* parent, const QRect& geometry, const QString& caption);

// A picture of the resources at `geometry`; one larger than its place is cut at the right and
// bottom, not scaled.
QLabel* makePicture(QWidget* parent, const QRect& geometry, const QString& resource);

// Every bitmap ":/name.png" has a twin ":/name@2x.png" drawn at twice the size for screens of
// high density (a device pixel ratio of 1.5 or more). `pictureScale` is 2 on such a screen
// (that of `widget`, or the primary screen), else 1.
int pictureScale(const QWidget* widget = nullptr);
QString twinResource(const QString& resource); // ":/name.png" -> ":/name@2x.png"
// A picture file, read in the format its name gives, or from the runs the build embedded for
// it (kit/pixelruns.h) with the same pixels; a null image when it cannot be read.
QImage readImage(const QString& file);
// The bitmap for `widget`'s screen: the twin, with a device pixel ratio of 2, at scale 2
// (the plain bitmap when the twin is missing); the plain bitmap at scale 1.
QPixmap loadPicture(const QString& resource, const QWidget* widget = nullptr);
// An icon of picture files (one picture at different sizes, for some modes), read when it is
// first drawn or measured: for an icon that may never be shown, as a window's.
struct IconFile {
    QString name;
    QIcon::Mode mode = QIcon::Normal;
};
QIcon iconOfFiles(const QList<IconFile>& files);
// The program's icon, with its twin.
QIcon programIcon();

// A window restored from its minimised state gets a show event from the window system: what
// the student entered stays, and the activation rules of a new showing must not run again.
bool isNewShowing(const QShowEvent* event);

// Puts the keyboard focus on the window's first control in Tab order (it takes the focus when
// the window becomes active): a window opened afresh starts at its top, whatever had the
// focus when it last closed.
void focusFirstControl(QWidget* window);

// How the keyboard reaches the things of a picture that a click reaches.
struct KeyboardElements {
    // Each element's rectangle in picture pixels; an element is named by its index here.
    std::vector<QRect> rects;
    // The order of Left and Right, Home and End: the picture's reading order.
    std::vector<int> order;
    // The focus mark runs this far outside the element's rectangle (inside when negative).
    int markMargin = 2;
    // Enter acts on the element as Space does; otherwise it is left to the window (its
    // default button).
    bool enterActs = true;
};

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

    // Keyboard use: Tab reaches the picture, the arrow keys move a focus mark from element to
    // element (Left and Right in reading order, Up and Down to the nearest element of the row
    // above or below), Home and End go to the first and last; Space (and Enter when the
    // elements want it) acts on the marked element as a click in its middle does. A key pressed
    // while the mark is hidden only shows it (Home and End also move it). The mark is drawn over
    // the picture, never into the canvas, and only while the picture has the keyboard focus
    // and the keyboard is in use on it: a mouse click hides it again.
    void setKeyboardElements(KeyboardElements elements);
    const KeyboardElements& keyboardElements() const { return m_keys; }
    // The element marked, or -1 when the picture has no elements.
    int markedElement() const { return m_marked; }
    // Whether the mark shows.
    bool markShown() const;

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // After fillRect or drawPixels.
    void drawn();
    // The mark has come to `element`, or shows there again when the picture takes the focus.
    void markMoved(int element);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // What Space or Enter does on an element: the mouse-down of a click in its middle.
    virtual void activateElement(int element);

private:
    void changed();
    void moveMark(int element);
    int neighbour(int key) const;

    QImage m_canvas;
    int m_scale = 1;
    // Null at scale 1, where the canvas itself is shown. Rebuilt from the canvas when the
    // canvas was changed other than through this class (its cache key then differs).
    mutable QImage m_screen;
    mutable qint64 m_drawnKey = 0;

    KeyboardElements m_keys;
    int m_marked = -1;
    // The keyboard, not the mouse, is in use on the picture.
    bool m_keyboardInUse = false;
};

} // namespace kw::ui
