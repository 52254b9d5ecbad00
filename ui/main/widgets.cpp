#include "widgets.h"

#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>

namespace kw::ui {

QFont defaultFont(bool bold)
{
    // The windows were laid out for a narrow face; take the nearest one installed.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
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
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    // Texts are clipped at the cell's edge, two pixels in, not elided.
    grid->setTextElideMode(Qt::ElideNone);
    grid->setStyleSheet(
        QStringLiteral("QTableView::item { padding-left: 1px; padding-right: 0px; }"));
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
        grid->setColumnWidth(column++, width);
}

void setCell(QTableWidget* grid, int column, int row, const QString& text)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    item->setText(text);
}

QString cell(const QTableWidget* grid, int column, int row)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

QString layersText()
{
    return QStringLiteral(" Couches LLC et supérieures");
}

void setupFrameGrid(QTableWidget* grid, const QString& layers)
{
    setColumnWidths(grid, {98, 98, 10, 140, 22});
    setCell(grid, 3, 0, layers);
    setCell(grid, 4, 0, QStringLiteral("FCS"));
}

QPushButton* makeTickButton(QWidget* parent, const QRect& geometry, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setFont(defaultFont());
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/tick.png")), QIcon::Normal);
    icon.addPixmap(QPixmap(QStringLiteral(":/tick_disabled.png")), QIcon::Disabled);
    button->setIcon(icon);
    button->setIconSize(QSize(18, 18));
    return button;
}

ImageView::ImageView(QWidget* parent, const QRect& geometry, const QString& resource)
    : QWidget(parent), m_canvas(QImage(resource).convertToFormat(QImage::Format_RGB32))
{
    setGeometry(geometry);
    if (m_canvas.isNull()) {
        // A missing picture still gives a canvas to draw on.
        m_canvas = QImage(geometry.size(), QImage::Format_RGB32);
        m_canvas.fill(QColor(204, 204, 204));
    }
}

void ImageView::fillRect(int left, int top, int right, int bottom, const QColor& colour)
{
    QPainter painter(&m_canvas);
    painter.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), colour);
    update();
}

void ImageView::drawPixels(const std::vector<kw::Pixel>& pixels, const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    for (const kw::Pixel& p : pixels)
        if (m_canvas.valid(p.x, p.y))
            m_canvas.setPixel(p.x, p.y, rgb);
    update();
}

void ImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_canvas);
}

void ImageView::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

} // namespace kw::ui
