// Every text of every window fits the room its control gives it, in the control's own font:
// labels, buttons, check boxes, radio buttons, group-box titles, edit boxes and grid cells,
// each with the widest text it can show, and none of it cut by a parent or run under a
// neighbour. The windows' controls sit at fixed pixels, so a face wider than the one they
// were laid out for cuts texts everywhere. Every control lies whole inside its window's
// client area too. Run at scale 1 and again at QT_SCALE_FACTOR=2.

#include "student.h"
#include "widget_replay.h"

#include "app/windows.h"
#include "global.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "main/a_propos.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "series.h"
#include "stations/u_MACs.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"

#include <QCheckBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTableWidget>

#include <cmath>
#include <memory>
#include <optional>

using kw::test::ScenarioProgram;
using kw::ui::windows;

namespace {

// Each control's style option, filled as the control fills it to paint itself (the filling
// is protected; a member pointer taken through these reaches it).
struct CheckBoxOption : QCheckBox {
    using QCheckBox::initStyleOption;
};
struct RadioOption : QRadioButton {
    using QRadioButton::initStyleOption;
};
struct PushButtonOption : QPushButton {
    using QPushButton::initStyleOption;
};
struct GroupBoxOption : QGroupBox {
    using QGroupBox::initStyleOption;
};
struct LineEditOption : QLineEdit {
    using QLineEdit::initStyleOption;
};

// A line edit keeps two pixels between its contents' edge and its text; a grid cell's text
// starts two pixels in from the cell's left edge.
constexpr int LineEditMargin = 2;
constexpr int CellInset = 2;

// The texts a control may show in place of the one it shows now: any station's address or
// name where one of them stands, since the exercise decides which.
QStringList standIns(const QString& text)
{
    const kw::SharedState& g = kw::test::state();
    QStringList macs;
    QStringList names;
    for (int i = 1; i <= kw::BroadcastIndex; ++i) {
        macs << QString::fromStdString(g.StationTable[i].mac);
        names << QString::fromUtf8(g.StationTable[i].name.c_str());
    }
    if (macs.contains(text))
        return macs;
    if (names.contains(text))
        return names;
    return {text};
}

struct Placed {
    QString text; // the widest of the texts the place may show
    QSizeF need;  // its size in the control's font (an icon beside it included)
    QRect room;   // where the control lets it go, in the control's coordinates
    Qt::Alignment align = Qt::AlignLeft;
};

QString describe(const Placed& placed)
{
    return QStringLiteral("\"%1\" needs %2 x %3, has %4 x %5")
        .arg(placed.text)
        .arg(placed.need.width())
        .arg(placed.need.height())
        .arg(placed.room.width())
        .arg(placed.room.height());
}

QSizeF textSize(const QFont& font, const QWidget* device, const QString& text)
{
    const QFontMetricsF metrics(font, device);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

// The widest stand-in of `text` in `font`.
QString widest(const QFont& font, const QWidget* device, const QString& text)
{
    QString best = text;
    for (const QString& candidate : standIns(text))
        if (textSize(font, device, candidate).width() > textSize(font, device, best).width())
            best = candidate;
    return best;
}

QRect labelRoom(const QLabel* label)
{
    const int margin = label->margin();
    QRect room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    int indent = label->indent();
    if (indent < 0)
        indent = label->frameWidth() > 0
                     ? label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2
                     : 0;
    if (label->alignment() & Qt::AlignLeft)
        room.setLeft(room.left() + indent);
    if (label->alignment() & Qt::AlignRight)
        room.setRight(room.right() - indent);
    return room;
}

// The text of a control with the room it gives it; nothing for a control without text.
std::optional<Placed> placeOf(QWidget* widget)
{
    const QStyle* style = widget->style();
    const QFont font = widget->font();
    Placed placed;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        placed.text = widest(font, widget, label->text());
        placed.room = labelRoom(label);
        placed.align = label->alignment();
        if (label->wordWrap())
            placed.need =
                QFontMetricsF(font, widget)
                    .boundingRect(QRectF(placed.room), Qt::TextWordWrap | placed.align, placed.text)
                    .size();
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        QStyleOptionButton option;
        (box->*&CheckBoxOption::initStyleOption)(&option);
        placed.text = box->text();
        placed.room = style->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        QStyleOptionButton option;
        (radio->*&RadioOption::initStyleOption)(&option);
        placed.text = radio->text();
        placed.room = style->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton option;
        (button->*&PushButtonOption::initStyleOption)(&option);
        placed.text = button->text();
        placed.room = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        placed.align = Qt::AlignHCenter;
        placed.need = textSize(font, widget, placed.text);
        if (!button->icon().isNull())
            // The glyph goes beside the text, four pixels apart, and both are centred.
            placed.need.rwidth() += button->iconSize().width() + 4;
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        (group->*&GroupBoxOption::initStyleOption)(&option);
        placed.text = group->title();
        // The style fits the title's place to the title; only the part inside the box counts.
        placed.room =
            style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group)
                .intersected(group->rect());
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        QStyleOptionFrame option;
        (edit->*&LineEditOption::initStyleOption)(&option);
        placed.text = widest(font, widget, edit->text());
        placed.room = style->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                          .marginsRemoved(edit->textMargins())
                          .adjusted(LineEditMargin, 0, -LineEditMargin, 0);
    }
    if (placed.text.isEmpty())
        return std::nullopt;
    if (placed.need.isEmpty())
        placed.need = textSize(font, widget, placed.text);
    return placed;
}

// Where the text lands inside its room, by its alignment.
QRect drawnRect(const Placed& placed)
{
    const int width = static_cast<int>(std::ceil(placed.need.width() - 0.01));
    const int height = static_cast<int>(std::ceil(placed.need.height() - 0.01));
    QRect drawn(placed.room.topLeft(), QSize(width, std::min(height, placed.room.height())));
    if (placed.align & Qt::AlignHCenter)
        drawn.moveLeft(placed.room.left() + (placed.room.width() - width) / 2);
    else if (placed.align & Qt::AlignRight)
        drawn.moveRight(placed.room.right());
    return drawn;
}

QString nameOf(const QWidget* widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// Window and control, for the test rows.
QString pathOf(const QWidget* widget)
{
    return widget->window()->objectName() + QLatin1Char('/') + nameOf(widget);
}

// Why `drawn` (in `widget`'s coordinates) is not seen whole: cut by an ancestor, or under a
// neighbour that is not the backdrop it lies on. Empty when it is seen whole.
QString hiddenPart(const QWidget* widget, QRect drawn, bool neighbours = true)
{
    const QWidget* parent = widget->parentWidget();
    if (neighbours && parent && !widget->isWindow()) {
        const QRect inParent = drawn.translated(widget->pos());
        for (const QWidget* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (sibling == widget || sibling->isWindow() ||
                sibling->geometry().contains(widget->geometry()))
                continue;
            if (sibling->geometry().intersects(inParent))
                return QStringLiteral("runs under %1").arg(nameOf(sibling));
        }
    }
    for (const QWidget* w = widget; !w->isWindow(); w = w->parentWidget()) {
        const QWidget* up = w->parentWidget();
        drawn.translate(w->pos());
        if (!up->contentsRect().contains(drawn))
            return QStringLiteral("cut by %1").arg(nameOf(up));
    }
    return {};
}

} // namespace

class TestTextFit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void controlTextsFit_data();
    void controlTextsFit();
    void gridCellsFit_data();
    void gridCellsFit();
    void controlsInsideTheirWindow_data();
    void controlsInsideTheirWindow();
    void cleanupTestCase();

private:
    std::unique_ptr<ScenarioProgram> m_program;
    QList<QWidget*> everyWidget() const;
};

void TestTextFit::initTestCase()
{
    // Every station in the switch's table with a three-digit lifetime; a Broadcast frame,
    // played whole, fills every frame and name the windows show; the series then ends.
    m_program = std::make_unique<ScenarioProgram>(
        kw::test::scenarioNamed(QStringLiteral("broadcast_every_station_known")));
    const kw::test::WidgetReplayResult replay = m_program->replay();
    QVERIFY2(replay.ok(), qPrintable(replay.failures.join(QLatin1Char('\n'))));
    // The counters at their widest, in the wider of the exercise number's two forms.
    kw::SharedState& g = kw::test::state();
    g.ErrorTotal = 65535;
    g.ImposedCount = 20;
    g.ExerciseNumber = 65535;
    windows().f_avance->FormActivate();
    kw::test::view().avance.exerciseCaption = kw::ExerciseNumberCaption(g);
    kw::test::refresh();
    // The about box, never opened here, too.
    kw::test::buildEveryControl();
}

QList<QWidget*> TestTextFit::everyWidget() const
{
    const kw::ui::Windows& w = windows();
    QList<QWidget*> all;
    for (QWidget* window : std::initializer_list<QWidget*>{
             w.Principale, w.f_source, w.f_avance, w.f_hub1, w.AdressesMAC, w.f_destination,
             w.f_hub2, w.apropos, w.f_switch, w.f_switch_gros}) {
        all << window->findChildren<QWidget*>();
    }
    return all;
}

void TestTextFit::controlTextsFit_data()
{
    QTest::addColumn<QWidget*>("widget");
    int count = 0;
    for (QWidget* widget : everyWidget()) {
        const std::optional<Placed> placed = placeOf(widget);
        if (!placed)
            continue;
        QTest::addRow("%s %s", qPrintable(pathOf(widget)), qPrintable(placed->text)) << widget;
        ++count;
    }
    QVERIFY(count > 40);
}

void TestTextFit::controlTextsFit()
{
    QFETCH(QWidget*, widget);
    const Placed placed = *placeOf(widget);
    const QString what = describe(placed);
    QVERIFY2(placed.need.width() <= placed.room.width(), qPrintable(what));
    QVERIFY2(placed.need.height() <= placed.room.height(), qPrintable(what));
    const QString hidden = hiddenPart(widget, drawnRect(placed));
    QVERIFY2(hidden.isEmpty(), qPrintable(what + QStringLiteral("; ") + hidden));
}

void TestTextFit::gridCellsFit_data()
{
    QTest::addColumn<QWidget*>("grid");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    int count = 0;
    for (QWidget* widget : everyWidget()) {
        auto* grid = qobject_cast<QTableWidget*>(widget);
        if (!grid)
            continue;
        for (int row = 0; row < grid->rowCount(); ++row)
            for (int column = 0; column < grid->columnCount(); ++column) {
                const QTableWidgetItem* item = grid->item(row, column);
                if (!item || item->text().isEmpty())
                    continue;
                QTest::addRow("%s (%d, %d) %s", qPrintable(pathOf(grid)), column, row,
                              qPrintable(item->text()))
                    << widget << row << column;
                ++count;
            }
    }
    QVERIFY(count > 60);
}

void TestTextFit::gridCellsFit()
{
    QFETCH(QWidget*, grid);
    QFETCH(int, row);
    QFETCH(int, column);
    auto* table = static_cast<QTableWidget*>(grid);
    const QTableWidgetItem* item = table->item(row, column);
    const QFont font = item->font().resolve(table->font());
    Placed placed;
    placed.text = widest(font, table, item->text());
    placed.need = textSize(font, table, placed.text);
    placed.room = table->visualItemRect(item).adjusted(CellInset, 0, 0, 0);
    const QString what = describe(placed);
    QVERIFY2(placed.need.width() <= placed.room.width(), qPrintable(what));
    QVERIFY2(placed.need.height() <= placed.room.height(), qPrintable(what));
    const QRect drawn = drawnRect(placed);
    // The cell lies in the grid's viewport, which must show it whole.
    QVERIFY2(table->viewport()->rect().contains(drawn),
             qPrintable(what + QStringLiteral("; beyond the grid's edge")));
    const QString hidden = hiddenPart(table->viewport(), drawn, false);
    QVERIFY2(hidden.isEmpty(), qPrintable(what + QStringLiteral("; ") + hidden));
}

void TestTextFit::controlsInsideTheirWindow_data()
{
    QTest::addColumn<QWidget*>("control");
    // The controls are the widgets the windows place; plain widgets and frames only hold
    // them, and so do group boxes besides being controls themselves.
    const auto plain = [](const QWidget* w) {
        return w->metaObject() == &QWidget::staticMetaObject ||
               w->metaObject() == &QFrame::staticMetaObject;
    };
    const auto holds = [plain](const QWidget* w) {
        return w->isWindow() || plain(w) || qobject_cast<const QGroupBox*>(w);
    };
    int count = 0;
    for (QWidget* widget : everyWidget()) {
        bool placed = !plain(widget);
        for (const QWidget* up = widget->parentWidget(); placed && up; up = up->parentWidget())
            placed = holds(up);
        if (!placed)
            continue;
        QTest::newRow(qPrintable(pathOf(widget))) << widget;
        ++count;
    }
    QVERIFY(count > 60);
}

void TestTextFit::controlsInsideTheirWindow()
{
    QFETCH(QWidget*, control);
    const QString hidden = hiddenPart(control, control->rect(), false);
    QVERIFY2(hidden.isEmpty(), qPrintable(hidden));
}

void TestTextFit::cleanupTestCase()
{
    m_program.reset();
}

KW_TEST_MAIN(TestTextFit)

#include "tst_textfit.moc"
