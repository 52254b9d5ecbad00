// What a screen reader finds in the windows: a name for every control and picture, and the
// diagram's and LED pictures' elements with their places and their click.

#include "student.h"

#include "app/windows.h"
#include "flow.h"
#include "global.h"
#include "hubs/hubdialog.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/widgets.h"
#include "main/a_propos.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_MACs.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>

using kw::test::Program;
using kw::ui::windows;

namespace {

const QByteArray imposedIni = "[parametres]\r\nquestions=.\r\n";

QByteArray exercise(const char* line)
{
    return QByteArray(line) + "\r\nFIN\r\n";
}

QList<QWidget*> allWindows()
{
    const kw::ui::Windows& w = windows();
    return {w.Principale,    w.f_source, w.f_avance, w.f_hub1,   w.AdressesMAC,
            w.f_destination, w.f_hub2,   w.apropos,  w.f_switch, w.f_switch_gros};
}

QString describe(const QWidget* widget)
{
    return QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
           widget->objectName() + QStringLiteral(" in ") + widget->window()->objectName();
}

QAccessibleInterface* interfaceOf(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// The child of `picture` named `name`, or null.
QAccessibleInterface* childNamed(QAccessibleInterface* picture, const QString& name)
{
    for (int i = 0; i < picture->childCount(); ++i)
        if (QAccessibleInterface* child = picture->child(i);
            child && child->text(QAccessible::Name) == name)
            return child;
    return nullptr;
}

QStringList strings(std::initializer_list<const char*> list)
{
    QStringList texts;
    for (const char* text : list)
        texts << QString::fromUtf8(text);
    return texts;
}

HubDialog* hubDialog(int hub)
{
    return hub == 1 ? static_cast<HubDialog*>(windows().f_hub1)
                    : static_cast<HubDialog*>(windows().f_hub2);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void everyWindowIsNamedAndDescribed();
    void everyControlAndPictureIsNamed();
    void screenReaderFindsTheMinimisedWindowsControls();
    void diagramElements_data();
    void diagramElements();
    void diagramPointsFindTheirElement();
    void pressingAnElementClicksIt_data();
    void pressingAnElementClicksIt();
    void pressWaitsForTheOpenDialog();
    void ledPicturesTellTheLitLeds_data();
    void ledPicturesTellTheLitLeds();
    void ledToggleActsLikeAClick();
    void keyboardMarkIsTheFocus_data();
    void keyboardMarkIsTheFocus();
    void tabFollowsTheReadingOrder_data();
    void tabFollowsTheReadingOrder();
    void escapeActsLikeTheCloseBox_data();
    void escapeActsLikeTheCloseBox();
    void cleanup();
};

void TestAccessibility::everyWindowIsNamedAndDescribed()
{
    Program program(imposedIni, exercise("1 5").constData());
    QVERIFY(program.started());
    for (QWidget* window : allWindows()) {
        QVERIFY(window);
        QAccessibleInterface* iface = interfaceOf(window);
        QVERIFY2(iface, qPrintable(describe(window)));
        QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(), qPrintable(describe(window)));
        QVERIFY2(!iface->text(QAccessible::Description).isEmpty(), qPrintable(describe(window)));
    }
}

void TestAccessibility::everyControlAndPictureIsNamed()
{
    Program program(imposedIni, exercise("1 5").constData());
    QVERIFY(program.started());
    kw::test::buildEveryControl();
    int checked = 0;
    for (QWidget* window : allWindows()) {
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            // Qt's own parts (the menu bar's overflow button, a grid's corner button) are
            // Qt's to name.
            if (widget->objectName().startsWith(QStringLiteral("qt_")) ||
                qobject_cast<QAbstractItemView*>(widget->parentWidget()))
                continue;
            const auto* label = qobject_cast<QLabel*>(widget);
            const bool picture =
                qobject_cast<kw::ui::ImageView*>(widget) || (label && !label->pixmap().isNull());
            const bool grid = qobject_cast<QTableWidget*>(widget) != nullptr;
            if (!picture && !grid && !qobject_cast<QAbstractButton*>(widget) &&
                !qobject_cast<QLineEdit*>(widget))
                continue;
            ++checked;
            QAccessibleInterface* iface = interfaceOf(widget);
            QVERIFY2(iface, qPrintable(describe(widget)));
            QVERIFY2(!iface->text(QAccessible::Name).trimmed().isEmpty(),
                     qPrintable(describe(widget)));
            // Grids and the pictures one clicks in say what they show.
            if (grid || qobject_cast<kw::ui::ImageView*>(widget))
                QVERIFY2(!iface->text(QAccessible::Description).isEmpty(),
                         qPrintable(describe(widget)));
        }
    }
    // The walk really went through the windows' controls.
    QVERIFY(checked > 40);
}

void TestAccessibility::screenReaderFindsTheMinimisedWindowsControls()
{
    // The reference windows, minimised, make their controls when they come on the screen;
    // a screen reader that starts meanwhile may look into them at once.
    Program program(imposedIni, exercise("1 5").constData());
    QVERIFY(program.started());
    TAdressesMAC* addresses = windows().AdressesMAC;
    Tf_avance* progress = windows().f_avance;
    if (addresses->controlsBuilt() && progress->controlsBuilt())
        QSKIP("the reference windows made their controls at start-up");
    QAccessible::setActive(true);
    const bool built = addresses->controlsBuilt() && progress->controlsBuilt();
    QAccessible::setActive(false);
    QVERIFY(built);
    QCOMPARE(addresses->findChildren<QTableWidget*>().size(), 1);
    QVERIFY(progress->findChild<QPushButton*>(QStringLiteral("fin_traitement")));
}

void TestAccessibility::diagramElements_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect"); // picture pixels, inclusive
    const auto box = [](int x1, int x2, int y1, int y2) {
        return QRect(QPoint(x1, y1), QPoint(x2, y2));
    };
    QTest::newRow("ServeurA") << 0 << "ServeurA" << box(203, 238, 11, 47);
    QTest::newRow("ServeurB") << 1 << "ServeurB" << box(273, 307, 11, 47);
    QTest::newRow("Machine 1") << 2 << "Machine 1" << box(18, 41, 195, 220);
    QTest::newRow("Machine 2") << 3 << "Machine 2" << box(79, 100, 195, 220);
    QTest::newRow("Machine 3") << 4 << "Machine 3" << box(141, 160, 195, 220);
    QTest::newRow("Machine 4") << 5 << "Machine 4" << box(329, 349, 195, 220);
    QTest::newRow("Machine 5") << 6 << "Machine 5" << box(393, 413, 195, 220);
    QTest::newRow("Machine 6") << 7 << "Machine 6" << box(449, 471, 195, 220);
    QTest::newRow("Hub 1") << 8 << "Hub 1" << box(39, 174, 139, 152);
    QTest::newRow("Hub 2") << 9 << "Hub 2" << box(317, 453, 139, 152);
    QTest::newRow("Switch") << 10 << "Switch" << box(181, 317, 89, 106);
}

void TestAccessibility::diagramElements()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    Program program(imposedIni, exercise("1 5").constData());
    kw::ui::ImageView* diagram = windows().Principale->Image1;
    QAccessibleInterface* picture = interfaceOf(diagram);
    QVERIFY(picture);
    QCOMPARE(picture->text(QAccessible::Name), QStringLiteral("Schéma du réseau"));
    QVERIFY(!picture->text(QAccessible::Description).isEmpty());
    QCOMPARE(picture->childCount(), 11);

    QAccessibleInterface* element = picture->child(index);
    QVERIFY(element && element->isValid());
    QCOMPARE(element->text(QAccessible::Name), name);
    QVERIFY(!element->text(QAccessible::Description).isEmpty());
    QCOMPARE(element->role(), QAccessible::Button);
    QCOMPARE(element->rect(), QRect(diagram->mapToGlobal(rect.topLeft()), rect.size()));
    QCOMPARE(element->parent(), picture);
    QCOMPARE(picture->indexOfChild(element), index);
    QCOMPARE(picture->child(index), element); // the same element each time
    QVERIFY(element->actionInterface());
    QCOMPARE(element->actionInterface()->actionNames(),
             QStringList{QAccessibleActionInterface::pressAction()});
}

void TestAccessibility::diagramPointsFindTheirElement()
{
    Program program(imposedIni, exercise("1 5").constData());
    kw::ui::ImageView* diagram = windows().Principale->Image1;
    QAccessibleInterface* picture = interfaceOf(diagram);
    const auto at = [&](int x, int y) {
        const QPoint global = diagram->mapToGlobal(QPoint(x, y));
        QAccessibleInterface* child = picture->childAt(global.x(), global.y());
        return child ? child->text(QAccessible::Name) : QString();
    };
    QCOMPARE(at(30, 200), QStringLiteral("Machine 1"));
    QCOMPARE(at(220, 30), QStringLiteral("ServeurA"));
    QCOMPARE(at(100, 145), QStringLiteral("Hub 1"));
    QCOMPARE(at(181, 89), QStringLiteral("Switch"));
    QCOMPARE(at(317, 106), QStringLiteral("Switch"));
    // Where a click does nothing, or is refused between the hubs, there is no element.
    QCOMPARE(at(50, 200), QString());
    QCOMPARE(at(250, 145), QString());
    QCOMPARE(at(180, 100), QString());
}

void TestAccessibility::pressingAnElementClicksIt_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("dialogs");
    QTest::newRow("sender opens its dialog")
        << "Machine 1" << QStringList{} << QStringList{QStringLiteral("Tf_source")};
    QTest::newRow("hub before the emission")
        << "Hub 1" << QStringList{QStringLiteral("Ce n'est pas le moment de traiter ce hub")}
        << QStringList{};
    QTest::newRow("switch before the hubs")
        << "Switch" << QStringList{QStringLiteral("Ce n'est pas le moment de traiter le switch")}
        << QStringList{};
    QTest::newRow("another station")
        << "ServeurB" << QStringList{QStringLiteral("Ce n'est pas le noeud émetteur")}
        << QStringList{};
}

void TestAccessibility::pressingAnElementClicksIt()
{
    QFETCH(QString, element);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, dialogs);
    Program program(imposedIni, exercise("1 5").constData());
    windows().Principale->show();
    QAccessibleInterface* child = childNamed(interfaceOf(windows().Principale->Image1), element);
    QVERIFY(child);
    child->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(program.student.boxTexts(), boxes);
    QCOMPARE(program.student.dialogsOpened, dialogs);
}

void TestAccessibility::pressWaitsForTheOpenDialog()
{
    Program program(imposedIni, exercise("1 5").constData());
    windows().Principale->show();
    QAccessibleInterface* switchElement =
        childNamed(interfaceOf(windows().Principale->Image1), QStringLiteral("Switch"));
    QVERIFY(switchElement);
    const auto press = [&] {
        switchElement->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    };

    // While a modal dialog is up the diagram takes no click, as with the mouse.
    Tapropos* about = windows().apropos;
    about->setWindowModality(Qt::ApplicationModal);
    about->show();
    QCOMPARE(QApplication::activeModalWidget(), about);
    press();
    QVERIFY(program.student.boxes.empty());
    about->hide();

    // Nor while the diagram is hidden.
    windows().Principale->hide();
    QVERIFY(switchElement->state().invisible);
    press();
    QVERIFY(program.student.boxes.empty());

    windows().Principale->show();
    press();
    QCOMPARE(program.student.boxTexts(),
             QStringList{QStringLiteral("Ce n'est pas le moment de traiter le switch")});
}

void TestAccessibility::ledPicturesTellTheLitLeds_data()
{
    QTest::addColumn<int>("picture"); // 1, 2: hub; 3: switch
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("leds"); // LEDs 1..8 in order
    QStringList hub;
    QStringList onSwitch;
    for (int port = 1; port <= 4; ++port) {
        const QString rx = QStringLiteral("Led RX du port %1").arg(port);
        const QString tx = QStringLiteral("Led TX du port %1").arg(port);
        // On a hub the odd LED of a port is RX, on the switch TX.
        hub << rx << tx;
        onSwitch << tx << rx;
    }
    QTest::newRow("Hub 1") << 1 << "Leds du hub 1" << hub;
    QTest::newRow("Hub 2") << 2 << "Leds du hub 2" << hub;
    QTest::newRow("switch") << 3 << "Leds du switch" << onSwitch;
}

void TestAccessibility::ledPicturesTellTheLitLeds()
{
    QFETCH(int, picture);
    QFETCH(QString, name);
    QFETCH(QStringList, leds);
    Program program(imposedIni, exercise("1 5").constData());
    kw::test::markOpen(picture == 3   ? kw::Window::SwitchGros
                       : picture == 1 ? kw::Window::Hub1
                                      : kw::Window::Hub2);
    kw::ui::ImageView* view =
        picture == 3 ? windows().f_switch_gros->Image1 : hubDialog(picture)->Image1;
    QAccessibleInterface* iface = interfaceOf(view);
    // A click in the middle of the LED's accessible rectangle, through the dialog's handler.
    const auto click = [&](int k) {
        const QPoint p = view->mapFromGlobal(iface->child(k - 1)->rect().center());
        if (picture == 3)
            windows().f_switch_gros->Image1MouseDown(Qt::LeftButton, {}, p.x(), p.y());
        else
            hubDialog(picture)->Image1MouseDown(Qt::LeftButton, {}, p.x(), p.y());
    };
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->childCount(), 8);
    for (int k = 1; k <= 8; ++k) {
        QAccessibleInterface* led = iface->child(k - 1);
        QCOMPARE(led->text(QAccessible::Name), leds[k - 1]);
        QCOMPARE(led->role(), QAccessible::CheckBox);
        QVERIFY(led->state().checkable);
        QVERIFY(!led->state().checked);
    }
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("Aucune led allumée."));

    click(1);
    click(4);
    QVERIFY(iface->child(0)->state().checked);
    QVERIFY(!iface->child(1)->state().checked);
    QVERIFY(iface->child(3)->state().checked);
    QCOMPARE(iface->text(QAccessible::Description),
             QStringLiteral("Leds allumées : %1, %2.").arg(leds[0], leds[3]));

    click(1); // switched off again: painted silver
    QVERIFY(!iface->child(0)->state().checked);
    QCOMPARE(iface->text(QAccessible::Description),
             QStringLiteral("Leds allumées : %1.").arg(leds[3]));
}

void TestAccessibility::ledToggleActsLikeAClick()
{
    Program program(imposedIni, exercise("1 5").constData());
    HubDialog* dialog = hubDialog(1);
    kw::test::markOpen(kw::Window::Hub1);
    dialog->show();
    QAccessibleInterface* led = interfaceOf(dialog->Image1)->child(0);
    QCOMPARE(led->actionInterface()->actionNames(),
             QStringList{QAccessibleActionInterface::toggleAction()});

    led->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(kw::test::state().LedState[1][1]);
    QVERIFY(led->state().checked);
    led->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(!kw::test::state().LedState[1][1]);
    QVERIFY(!led->state().checked);

    // In review the LEDs no longer react, to a screen reader either.
    kw::LedsView& review = kw::test::view().hubs[1];
    review.panelEnabled = review.labelShown = review.doneShown = false;
    kw::test::refresh();
    QVERIFY(led->state().disabled);
    led->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(!kw::test::state().LedState[1][1]);
    dialog->hide();
}

void TestAccessibility::keyboardMarkIsTheFocus_data()
{
    QTest::addColumn<int>("picture"); // 0: diagram; 1, 2: hub; 3: switch
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QStringList>("names"); // the element marked after each key
    const QList<int> diagramKeys{Qt::Key_Home, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down,
                                 Qt::Key_Down, Qt::Key_Up,    Qt::Key_Up,    Qt::Key_Up,
                                 Qt::Key_Up,   Qt::Key_Left,  Qt::Key_End,   Qt::Key_Right,
                                 Qt::Key_Left};
    QTest::newRow("diagram") << 0 << diagramKeys
                             << strings({"ServeurA", "ServeurB", "Switch", "Hub 2", "Machine 5",
                                         "Hub 2", "Switch", "ServeurA", "ServeurA", "ServeurA",
                                         "Machine 6", "Machine 6", "Machine 5"});
    const QList<int> ledKeys{Qt::Key_Home, Qt::Key_Right, Qt::Key_Right,
                             Qt::Key_Up,   Qt::Key_End,   Qt::Key_Left};
    QTest::newRow("Hub 1") << 1 << ledKeys
                           << strings({"Led RX du port 1", "Led TX du port 1", "Led RX du port 2",
                                       "Led RX du port 2", "Led TX du port 4", "Led RX du port 4"});
    QTest::newRow("switch") << 3 << ledKeys
                            << strings({"Led TX du port 1", "Led RX du port 1", "Led TX du port 2",
                                        "Led TX du port 2", "Led RX du port 4",
                                        "Led TX du port 4"});
}

void TestAccessibility::keyboardMarkIsTheFocus()
{
    QFETCH(int, picture);
    QFETCH(QList<int>, keys);
    QFETCH(QStringList, names);
    Program program(imposedIni, exercise("1 5").constData());
    kw::ui::ImageView* view = picture == 0   ? windows().Principale->Image1
                              : picture == 3 ? windows().f_switch_gros->Image1
                                             : hubDialog(picture)->Image1;
    QWidget* window = view->window();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    view->setFocus(Qt::ActiveWindowFocusReason);
    QVERIFY(view->hasFocus());
    const QImage canvas = view->canvas().copy();
    const QImage unmarked = view->grab().toImage();

    // Each move is told to the accessibility layer, which sends the element's focus event.
    QSignalSpy moved(view, &kw::ui::ImageView::markMoved);
    // Focused but untouched, as after a click or when its window comes up: no mark, no element.
    QVERIFY(!view->markShown());
    QVERIFY(!interfaceOf(view)->focusChild());
    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClick(view, Qt::Key(keys[i]));
        QAccessibleInterface* marked = interfaceOf(view)->focusChild();
        QVERIFY(marked);
        QCOMPARE(marked->text(QAccessible::Name), names[i]);
        QVERIFY(marked->state().focused);
    }
    QStringList moves = names;
    moves.erase(std::unique(moves.begin(), moves.end()), moves.end());
    QStringList told;
    for (const QList<QVariant>& move : moved)
        told << interfaceOf(view)->child(move.at(0).toInt())->text(QAccessible::Name);
    // Every move was told once, with the element's name.
    QCOMPARE(told, moves);

    // The mark is drawn over the picture, never into it, and only while the keyboard has it.
    QVERIFY(view->markShown());
    QCOMPARE(view->canvas(), canvas);
    QVERIFY(view->grab().toImage() != unmarked);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(1, 1));
    QVERIFY(!view->markShown());
    QCOMPARE(view->grab().toImage(), unmarked);
    window->hide();
}

void TestAccessibility::tabFollowsTheReadingOrder_data()
{
    QTest::addColumn<int>("window"); // index in allWindows()
    QTest::addColumn<QStringList>("controls");
    // Top to bottom, then left to right, as each window is laid out; one stop per group of
    // radio buttons, whose arrows choose within it. A window opens on its first control, but
    // the sending dialog on its default button: Enter on its grids copies.
    QTest::newRow("main window") << 0 << strings({"Image1"});
    QTest::newRow("sending") << 1 << strings({"BitBtn1", "trame", "table_MAC"});
    QTest::newRow("progress") << 2
                              << strings({"emetteur", "Hub1", "Hub2", "switch", "destinataire",
                                          "fin_traitement"});
    QTest::newRow("Hub 1") << 3 << strings({"Image1", "BitBtn1"});
    QTest::newRow("known addresses") << 4 << strings({"table_MAC"});
    QTest::newRow("receiving") << 5 << strings({"BitBtn1", "copier"});
    QTest::newRow("Hub 2") << 6 << strings({"Image1", "BitBtn1"});
    QTest::newRow("about") << 7 << strings({"OKButton"});
    QTest::newRow("switch") << 8 << strings({"trame", "port1", "b_d1", "image_switch"});
    QTest::newRow("switch LEDs") << 9 << strings({"Image1", "BitBtn1"});
}

void TestAccessibility::tabFollowsTheReadingOrder()
{
    QFETCH(int, window);
    QFETCH(QStringList, controls);
    Program program(imposedIni, exercise("1 5").constData());
    // Every control at work: the sending dialog before the emission, the receiving one when
    // the frame has come, the end of the frame.
    kw::test::state().FlowState = window == 5 ? kw::flow::ReachedAll : kw::flow::ExerciseReady;
    kw::test::view().avance.finEnabled = true;
    kw::test::refresh();
    QWidget* w = allWindows().at(window);
    const auto open = [w] {
        w->showNormal();
        w->activateWindow();
        return QTest::qWaitForWindowActive(w);
    };
    const auto focusName = [] {
        const QWidget* focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QStringLiteral("(none)");
    };
    // The window opens with the focus on its first control.
    QVERIFY(open());
    QStringList visited{focusName()};
    for (int i = 0; i < controls.size() && QApplication::focusWidget(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusName();
    }
    // Once round the window, back to the first.
    QCOMPARE(visited, controls + QStringList{controls.first()});
    // A dialog opened again starts at its first control, wherever the focus was.
    if (qobject_cast<QDialog*>(w) && controls.size() > 1) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        w->hide();
        // Another window in front meanwhile, as when the dialog closes.
        windows().Principale->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(windows().Principale));
        QVERIFY(open());
        QCOMPARE(focusName(), controls.first());
    }
    w->hide();
}

void TestAccessibility::escapeActsLikeTheCloseBox_data()
{
    QTest::addColumn<int>("window"); // index in allWindows()
    QTest::addColumn<bool>("stays");
    QTest::newRow("sending") << 1 << false;
    QTest::newRow("progress, which never closes") << 2 << true;
    QTest::newRow("Hub 1") << 3 << false;
    QTest::newRow("known addresses, which never close") << 4 << true;
    QTest::newRow("receiving") << 5 << false;
    QTest::newRow("Hub 2") << 6 << false;
    QTest::newRow("about") << 7 << false;
    QTest::newRow("switch") << 8 << false;
    QTest::newRow("switch LEDs") << 9 << false;
}

void TestAccessibility::escapeActsLikeTheCloseBox()
{
    QFETCH(int, window);
    QFETCH(bool, stays);
    Program program(imposedIni, exercise("1 5").constData());
    QWidget* w = allWindows().at(window);
    auto* dialog = qobject_cast<QDialog*>(w);
    const auto open = [&] {
        if (dialog)
            dialog->setResult(QDialog::Accepted);
        w->showNormal();
        w->activateWindow();
        return QTest::qWaitForWindowActive(w);
    };
    QVERIFY(open());
    w->close();
    const bool closeBoxLeftIt = w->isVisible();
    const int closeBoxResult = dialog ? dialog->result() : 0;
    if (!w->isVisible())
        QVERIFY(open());
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_Escape);
    QCOMPARE(w->isVisible(), closeBoxLeftIt);
    QCOMPARE(w->isVisible(), stays);
    if (dialog)
        QCOMPARE(dialog->result(), closeBoxResult);
    QCOMPARE(kw::test::state().FlowState, kw::flow::ExerciseReady);
    QVERIFY(program.student.boxes.empty());
    w->hide();
}

void TestAccessibility::cleanup()
{
    QVERIFY(!QApplication::activeModalWidget());
}

KW_TEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
