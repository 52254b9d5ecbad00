#include "widgets.h"

#include "pixelruns.h"

#include <QApplication>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QIconEngine>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QResource>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <utility>

namespace kw::ui {

namespace {

// The layout's column widths and row heights are those of the cells; each grid line comes
// in addition, after its cell. A grid view counts the line in the cell's section, so every
// section is one line larger.
constexpr int GridLine = 1;

// Draws a cell's text two pixels in from its left edge and clips it at the right edge, as a
// string grid does, so that a MAC address fits a 98-pixel column.
class StringGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem cellOption = option;
        initStyleOption(&cellOption, index);
        const QString text = cellOption.text;
        cellOption.text.clear();
        const QWidget* widget = cellOption.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cellOption, painter, widget);
        const bool enabled = cellOption.state & QStyle::State_Enabled;
        const bool selected = cellOption.state & QStyle::State_Selected;
        painter->save();
        painter->setClipRect(cellOption.rect);
        painter->setFont(cellOption.font);
        painter->setPen(
            cellOption.palette.color(enabled ? QPalette::Normal : QPalette::Disabled,
                                     selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(cellOption.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          text);
        painter->restore();
    }
};

// Drops the presses the keyboard repeats while Enter or Space is held. X11 repeats a held key
// as a release and a press of the same instant, which Qt marks as repeated only when both have
// come in by the time it reads the release: the instant tells the others.
class HeldKeyFilter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter &&
            key->key() != Qt::Key_Space)
            return QObject::eventFilter(watched, event);
        if (type == QEvent::KeyRelease) {
            m_released = key->key();
            m_releasedAt = key->timestamp();
            return QObject::eventFilter(watched, event);
        }
        // Events made up by the program itself carry no instant.
        const bool repeated =
            key->isAutoRepeat() ||
            (m_releasedAt != 0 && key->key() == m_released && key->timestamp() == m_releasedAt);
        return repeated || QObject::eventFilter(watched, event);
    }

private:
    int m_released = 0;
    quint64 m_releasedAt = 0;
};

} // namespace

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor toQColor(kw::Rgb colour)
{
    return QColor(colour.r, colour.g, colour.b);
}

namespace {

QFont layoutFont(const QStringList& families)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    return font;
}

// The faces the layout suits, best first; the first one alone when it is installed. Given a
// list, the font database also looks up at once the faces that would stand in for the first
// one's missing characters, a search that a single face leaves until a character is missing.
const QStringList& layoutFamilies()
{
    static const QStringList families = [] {
        const QStringList suited{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                 QStringLiteral("MS Sans Serif"), QStringLiteral("Nimbus Sans"),
                                 QStringLiteral("DejaVu Sans")};
        const QStringList first{suited.first()};
        return QFontInfo(layoutFont(first)).family() == suited.first() ? first : suited;
    }();
    return families;
}

} // namespace

QFont defaultFont(bool bold)
{
    // The windows were laid out, to the pixel, for a bitmap sans-serif whose 11-pixel texts
    // are narrower than Liberation Sans of that height, which would cut many of them; at 10
    // pixels the widest texts of the layout fit their controls. The main window's larger
    // texts keep their own heights: there the two faces are about as wide.
    QFont font = layoutFont(layoutFamilies());
    font.setBold(bold);
    return font;
}

namespace {

QSize frameSize(WindowFrame frame)
{
    // Borders and caption of the system the windows were laid out on, in its classic look.
    return frame == WindowFrame::Sizeable ? QSize(2 * 4, 2 * 4 + 19) : QSize(2 * 3, 2 * 3 + 19);
}

} // namespace

QSize clientSize(const QSize& outer, WindowFrame frame, bool mainMenu)
{
    constexpr int MainMenuLine = 19;
    return outer - frameSize(frame) - QSize(0, mainMenu ? MainMenuLine : 0);
}

void centreOnScreen(QWidget* window, WindowFrame frame, bool desktop)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The window manager's frame is not known before the window is shown; the layout's
    // stands for it. A window's position is that of its frame.
    QRect outer(QPoint(), window->size() + frameSize(frame));
    outer.moveCenter((desktop ? screen->availableGeometry() : screen->geometry()).center());
    window->move(outer.topLeft());
}

QLabel* makeLabel(QWidget* parent, int x, int y, const QString& text, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setFont(defaultFont(bold));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QTableWidget* makeStringGrid(QWidget* parent, const QRect& geometry, int columns, int rows,
                             int fixedRows, int rowHeight)
{
    auto* grid = new QTableWidget(rows, columns, parent);
    grid->setGeometry(geometry);
    grid->setFont(defaultFont());
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight + GridLine);
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab goes on to the window's next control; the arrow keys move within the grid.
    grid->setTabKeyNavigation(false);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    // Texts are clipped at the cell's edge, two pixels in, not elided.
    grid->setTextElideMode(Qt::ElideNone);
    grid->setItemDelegate(new StringGridDelegate(grid));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            auto* item = new QTableWidgetItem;
            if (row < fixedRows) {
                // Heading rows look like buttons and can never be selected.
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(grid->palette().button());
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            grid->setItem(row, column, item);
        }
    }
    return grid;
}

void setColumnWidths(QTableWidget* grid, std::initializer_list<int> widths)
{
    int column = 0;
    for (int width : widths)
        grid->setColumnWidth(column++, width + GridLine);
}

void setCell(QTableWidget* grid, int column, int row, const QString& text)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    if (item->text() != text)
        item->setText(text);
}

QString cell(const QTableWidget* grid, int column, int row)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void setCurrentCell(QTableWidget* grid, int column, int row)
{
    if (grid->currentRow() == row && grid->currentColumn() == column)
        return;
    const QSignalBlocker quiet(grid);
    grid->setCurrentCell(row, column);
}

void setupFrameGrid(QTableWidget* grid)
{
    setColumnWidths(grid, {98, 98, 10, 140, 22});
}

void showFrame(QTableWidget* grid, const std::array<std::string, 5>& cells)
{
    for (int column = 0; column < static_cast<int>(cells.size()); ++column)
        setCell(grid, column, 0, fromUtf8(cells[static_cast<std::size_t>(column)]));
}

void setText(QLabel* label, const QString& text)
{
    if (label->text() != text)
        label->setText(text);
}

void setText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void setShown(QWidget* widget, bool shown)
{
    // A control hidden or shown only as its window is keeps its own state unchanged.
    if (widget->isVisibleTo(widget->window()) != shown)
        widget->setVisible(shown);
}

bool isEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void ignoreHeldKeys()
{
    // One for the application object, which owns it.
    static QPointer<HeldKeyFilter> filter;
    if (filter || !qApp)
        return;
    filter = new HeldKeyFilter;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

bool becameActive(const QWidget* window, const QEvent* event)
{
    return event->type() == QEvent::ActivationChange && window->isActiveWindow();
}

QPushButton* makeTickButton(QWidget* parent, const QRect& geometry, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setFont(defaultFont());
    // Both sizes of each glyph: the icon takes the one that fits the screen it is drawn on.
    QIcon icon;
    for (const auto& [resource, mode] :
         {std::pair{QStringLiteral(":/tick.png"), QIcon::Normal},
          std::pair{QStringLiteral(":/tick_disabled.png"), QIcon::Disabled}}) {
        icon.addPixmap(QPixmap::fromImage(readImage(resource)), mode);
        QPixmap twin = QPixmap::fromImage(readImage(twinResource(resource)));
        if (!twin.isNull()) {
            twin.setDevicePixelRatio(2);
            icon.addPixmap(twin, mode);
        }
    }
    button->setIcon(icon);
    button->setIconSize(QSize(18, 18));
    return button;
}

QLabel* makePicture(QWidget* parent, const QRect& geometry, const QString& resource)
{
    auto* picture = new QLabel(parent);
    picture->setGeometry(geometry);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(loadPicture(resource, picture));
    return picture;
}

int pictureScale(const QWidget* widget)
{
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : qApp->devicePixelRatio();
    return ratio >= 1.5 ? 2 : 1;
}

QString twinResource(const QString& resource)
{
    const qsizetype dot = resource.lastIndexOf(QLatin1Char('.'));
    if (dot <= resource.lastIndexOf(QLatin1Char('/')))
        return resource + QStringLiteral("@2x");
    return resource.left(dot) + QStringLiteral("@2x") + resource.mid(dot);
}

namespace {

// ":/name.png" -> ":/runs/name.runs"; empty for a name of another form.
QString runsResource(const QString& resource)
{
    const QString prefix = QStringLiteral(":/");
    const QString suffix = QStringLiteral(".png");
    if (!resource.startsWith(prefix) || !resource.endsWith(suffix))
        return {};
    return QStringLiteral(":/runs/") +
           resource.mid(prefix.size(), resource.size() - prefix.size() - suffix.size()) +
           QStringLiteral(".runs");
}

// A picture of the resources from the runs the build embedded for it, with the pixels and the
// format its PNG file gives (32-bit RGB when it is opaque, else with its alpha channel); a null
// image when there are no runs for it.
QImage readRuns(const QString& resource)
{
    const QString name = runsResource(resource);
    if (name.isEmpty())
        return {};
    const QResource runs(name);
    if (!runs.isValid() || runs.compressionAlgorithm() != QResource::NoCompression)
        return {};
    const std::span<const std::uint8_t> data(runs.data(), std::size_t(runs.size()));
    const std::optional<RunsSize> size = ReadRunsSize(data);
    if (!size)
        return {};
    QImage image(size->width, size->height,
                 RunsOpaque(data) ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    const std::size_t count = std::size_t(size->width) * std::size_t(size->height);
    if (image.isNull() || image.bytesPerLine() != qsizetype(size->width) * 4 ||
        !DecodeRuns(data, {reinterpret_cast<std::uint32_t*>(image.bits()), count}))
        return {};
    return image;
}

} // namespace

QImage readImage(const QString& file)
{
    // The pictures shown at start-up come from their runs.
    if (QImage image = readRuns(file); !image.isNull())
        return image;
    // Read in the format its name gives: left to itself the reader would first ask every
    // image plugin installed whether it knows the file, which loads them all.
    QImageReader reader(file, QFileInfo(file).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap loadPicture(const QString& resource, const QWidget* widget)
{
    if (pictureScale(widget) == 2) {
        QPixmap twin = QPixmap::fromImage(readImage(twinResource(resource)));
        if (!twin.isNull()) {
            twin.setDevicePixelRatio(2);
            return twin;
        }
    }
    return QPixmap::fromImage(readImage(resource));
}

namespace {

// An icon of picture files read only when it is first drawn or measured: an icon that is set
// but not shown yet costs nothing.
class FilesIconEngine : public QIconEngine {
public:
    explicit FilesIconEngine(QList<IconFile> files) : m_files(std::move(files)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    // `size` in device pixels, as for the icon's own engine.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        const QSize logical(qRound(size.width() / scale), qRound(size.height() / scale));
        return icon().pixmap(logical, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return m_files.isEmpty(); }
    QString key() const override { return QStringLiteral("kw_files"); }
    QIconEngine* clone() const override { return new FilesIconEngine(m_files); }

private:
    const QIcon& icon()
    {
        if (!m_read) {
            m_read = true;
            // A missing file leaves its size out (a twin of high density, say).
            for (const IconFile& file : std::as_const(m_files))
                if (const QImage image = readImage(file.name); !image.isNull())
                    m_icon.addPixmap(QPixmap::fromImage(image), file.mode);
        }
        return m_icon;
    }

    QList<IconFile> m_files;
    QIcon m_icon;
    bool m_read = false;
};

} // namespace

QIcon iconOfFiles(const QList<IconFile>& files)
{
    return QIcon(new FilesIconEngine(files));
}

QIcon programIcon()
{
    // As an icon made from the file would be: its twin too on a screen of high density.
    const QString resource = QStringLiteral(":/kw_switch.png");
    QList<IconFile> files{{resource}};
    if (qApp->devicePixelRatio() > 1)
        files << IconFile{twinResource(resource)};
    return iconOfFiles(files);
}

namespace {

// A picture of the resources as opaque 32-bit pixels.
QImage readCanvas(const QString& resource)
{
    return readImage(resource).convertToFormat(QImage::Format_RGB32);
}

QImage enlarged(const QImage& picture, int scale)
{
    QImage big =
        picture.scaled(picture.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    big.setDevicePixelRatio(scale);
    return big;
}

} // namespace

bool isNewShowing(const QShowEvent* event)
{
    return !event->spontaneous();
}

void focusFirstControl(QWidget* window)
{
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->window() == window && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisibleTo(window)) {
            // Not a keyboard reason: a picture shows its mark only once the keyboard is used.
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

ImageView::ImageView(QWidget* parent, const QRect& geometry, const QString& resource)
    : QWidget(parent), m_canvas(readCanvas(resource))
{
    setGeometry(geometry);
    if (m_canvas.isNull()) {
        // A missing picture still gives a canvas to draw on.
        m_canvas = QImage(geometry.size(), QImage::Format_RGB32);
        m_canvas.fill(QColor(204, 204, 204));
    }
    m_scale = pictureScale(this);
    if (m_scale > 1) {
        m_screen = readCanvas(twinResource(resource));
        // Only a twin of exactly the right size keeps the picture's features under the
        // enlarged drawing; otherwise the plain picture is enlarged pixel by pixel.
        if (m_screen.size() != m_canvas.size() * m_scale)
            m_screen = enlarged(m_canvas, m_scale);
        m_screen.setDevicePixelRatio(m_scale);
    }
    m_drawnKey = m_canvas.cacheKey();
}

const QImage& ImageView::screenCanvas() const
{
    if (m_scale == 1)
        return m_canvas;
    if (m_canvas.cacheKey() != m_drawnKey) {
        m_screen = enlarged(m_canvas, m_scale);
        m_drawnKey = m_canvas.cacheKey();
    }
    return m_screen;
}

QRgb ImageView::pixelAt(int x, int y) const
{
    const QImage& shown = screenCanvas();
    if (!m_canvas.valid(x, y) || !shown.valid(x * m_scale, y * m_scale))
        return 0;
    return shown.pixel(x * m_scale, y * m_scale);
}

void ImageView::fillRect(int left, int top, int right, int bottom, const QColor& colour)
{
    if (right <= left || bottom <= top)
        return;
    const QRect area(QPoint(left, top), QPoint(right - 1, bottom - 1));
    screenCanvas(); // brings the shown canvas up to date before both are drawn on
    {
        QPainter painter(&m_canvas);
        painter.fillRect(area, colour);
    }
    if (m_scale > 1) {
        // The painter works in picture pixels on a canvas of device pixel ratio `m_scale`,
        // so the rectangle covers its blocks exactly.
        QPainter painter(&m_screen);
        painter.fillRect(area, colour);
    }
    changed();
}

void ImageView::drawPixels(const std::vector<kw::Pixel>& pixels, const QColor& colour)
{
    screenCanvas(); // brings the shown canvas up to date before both are drawn on
    const QRgb rgb = colour.rgb();
    for (const kw::Pixel& p : pixels) {
        if (!m_canvas.valid(p.x, p.y))
            continue;
        m_canvas.setPixel(p.x, p.y, rgb);
        if (m_scale == 1)
            continue;
        // The picture pixel's whole block, so that the line is as thick as the twin's lines.
        for (int dy = 0; dy < m_scale; ++dy)
            for (int dx = 0; dx < m_scale; ++dx)
                m_screen.setPixel(p.x * m_scale + dx, p.y * m_scale + dy, rgb);
    }
    changed();
}

void ImageView::changed()
{
    m_drawnKey = m_canvas.cacheKey();
    update();
    emit drawn();
}

void ImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, screenCanvas());
    if (!markShown())
        return;
    // Yellow under black dashes: seen on the grey, orange and black of every picture.
    const int margin = m_keys.markMargin;
    const QRect mark = m_keys.rects[static_cast<std::size_t>(m_marked)]
                           .adjusted(-margin, -margin, margin, margin)
                           .intersected(rect().adjusted(1, 1, -1, -1));
    QPen pen(QColor(255, 255, 0), 2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(mark);
    pen.setColor(Qt::black);
    pen.setStyle(Qt::DashLine);
    painter.setPen(pen);
    painter.drawRect(mark);
}

void ImageView::mousePressEvent(QMouseEvent* event)
{
    // The mouse is in use: its user sees the picture without the mark.
    if (m_keyboardInUse) {
        m_keyboardInUse = false;
        update();
    }
    const QPoint p = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void ImageView::setKeyboardElements(KeyboardElements elements)
{
    m_keys = std::move(elements);
    const int count = static_cast<int>(m_keys.rects.size());
    std::erase_if(m_keys.order, [count](int element) { return element < 0 || element >= count; });
    m_marked = m_keys.order.empty() ? -1 : m_keys.order.front();
    // Tab only: a click must not give the picture the focus, nor show the mark.
    setFocusPolicy(m_marked < 0 ? Qt::NoFocus : Qt::TabFocus);
    update();
}

bool ImageView::markShown() const
{
    return m_marked >= 0 && m_keyboardInUse && hasFocus();
}

void ImageView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool handled = m_marked >= 0 && modifiers == Qt::NoModifier &&
                         (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
                          key == Qt::Key_Down || key == Qt::Key_Home || key == Qt::Key_End ||
                          key == Qt::Key_Space || (enter && m_keys.enterActs));
    if (!handled) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    const bool wasShown = markShown();
    m_keyboardInUse = true;
    if (key == Qt::Key_Home) {
        moveMark(m_keys.order.front());
        return;
    }
    if (key == Qt::Key_End) {
        moveMark(m_keys.order.back());
        return;
    }
    if (!wasShown) {
        // The first key shows where the mark stands before anything is done there.
        moveMark(m_marked);
        return;
    }
    if (key == Qt::Key_Space || enter) {
        // One act per press, as one per click: a held key does not repeat it.
        if (!event->isAutoRepeat())
            activateElement(m_marked);
        return;
    }
    const int next = neighbour(key);
    if (next != m_marked)
        moveMark(next);
}

void ImageView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    // A dialog being shown sends its focus widget a focus event of Tab reason without giving it
    // the focus: only a real focus change counts.
    const Qt::FocusReason reason = event->reason();
    if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) && hasFocus())
        m_keyboardInUse = true;
    update();
    if (!markShown())
        return;
    // After the accessibility layer has told of the picture itself taking the focus.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (markShown())
                emit markMoved(m_marked);
        },
        Qt::QueuedConnection);
}

void ImageView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void ImageView::activateElement(int element)
{
    const QPoint centre = m_keys.rects[static_cast<std::size_t>(element)].center();
    emit mouseDown(Qt::LeftButton, Qt::NoModifier, centre.x(), centre.y());
}

void ImageView::moveMark(int element)
{
    m_marked = element;
    update();
    emit markMoved(element);
}

int ImageView::neighbour(int key) const
{
    const std::vector<int>& order = m_keys.order;
    const auto at = std::find(order.begin(), order.end(), m_marked);
    if (key == Qt::Key_Left)
        return at == order.begin() ? m_marked : *(at - 1);
    if (key == Qt::Key_Right)
        return at + 1 == order.end() ? m_marked : *(at + 1);
    // Up and Down: the nearest row above or below, then the nearest element along it.
    const QPoint from = m_keys.rects[static_cast<std::size_t>(m_marked)].center();
    const int sign = key == Qt::Key_Up ? -1 : 1;
    int rowDistance = -1;
    for (int element : order) {
        const int dy =
            sign * (m_keys.rects[static_cast<std::size_t>(element)].center().y() - from.y());
        if (dy > 0 && (rowDistance < 0 || dy < rowDistance))
            rowDistance = dy;
    }
    if (rowDistance < 0)
        return m_marked;
    // Elements of one row may stand a few pixels higher or lower than their neighbours.
    constexpr int RowTolerance = 8;
    int best = m_marked;
    int bestDx = -1;
    for (int element : order) {
        const QPoint c = m_keys.rects[static_cast<std::size_t>(element)].center();
        const int dy = sign * (c.y() - from.y());
        if (dy <= 0 || dy > rowDistance + RowTolerance)
            continue;
        const int dx = std::abs(c.x() - from.x());
        if (bestDx < 0 || dx < bestDx) {
            best = element;
            bestDx = dx;
        }
    }
    return best;
}

} // namespace kw::ui
