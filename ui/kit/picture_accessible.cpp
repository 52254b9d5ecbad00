#include "picture_accessible.h"

#include "diagram.h"
#include "flow.h"
#include "global.h"
#include "hubs.h"
#include "switchleds.h"
#include "widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWindow>

#include <algorithm>
#include <array>
#include <map>

namespace kw::ui {

namespace {

QString machineName(int station)
{
    return QStringLiteral("Machine %1").arg(station);
}

QString stationName(int station)
{
    if (station == 7)
        return QStringLiteral("ServeurA");
    if (station == 8)
        return QStringLiteral("ServeurB");
    return machineName(station);
}

QString stationDescription(int station)
{
    if (station == 7 || station == 8)
        return QStringLiteral("Serveur relié au port %1 du switch. Cliquer pour le traiter.")
            .arg(kw::SwitchPortOf(station));
    const int hub = station <= 3 ? 1 : 2;
    return QStringLiteral("Station reliée au port %1 du Hub %2. Cliquer pour la traiter.")
        .arg(kw::HubPortOfStation(hub, station))
        .arg(hub);
}

QString hubDescription(int hub)
{
    const int first = hub == 1 ? 1 : 4;
    return QStringLiteral("Hub relié au port %1 du switch, avec les machines %2 à %3. "
                          "Cliquer pour le traiter.")
        .arg(kw::SwitchPortOf(first))
        .arg(first)
        .arg(first + 2);
}

QRgb toRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return qRgb(r, g, b);
}

// What the registered pictures expose.
struct Registration {
    std::vector<PictureElement> elements;
    bool listsLitLeds = false;
};

QHash<const QObject*, Registration>& registry()
{
    static QHash<const QObject*, Registration> pictures;
    return pictures;
}

const Registration* registrationOf(const QObject* picture)
{
    const auto found = registry().constFind(picture);
    return found == registry().constEnd() ? nullptr : &found.value();
}

bool isLit(const ImageView* view, const PictureElement& element)
{
    // What the picture shows, not what the student meant: a hub passed automatically shows
    // the expected LEDs.
    const QPoint centre = element.rect.center();
    return element.litColour != 0 && view->canvas().valid(centre) &&
           view->canvas().pixel(centre) == element.litColour;
}

// A click by a screen reader acts only where the mouse could click.
bool clickable(const QWidget* view)
{
    if (!view->isVisible() || !view->isEnabled())
        return false;
    const QWidget* modal = QApplication::activeModalWidget();
    return !modal || modal == view->window() || modal->isAncestorOf(view);
}

class ElementAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ElementAccessible(ImageView* view, int index) : m_view(view), m_index(index) {}

    bool isValid() const override { return element() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        const PictureElement* e = element();
        if (!e)
            return {};
        if (t == QAccessible::Name)
            return e->name;
        if (t == QAccessible::Description)
            return e->description;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        const PictureElement* e = element();
        if (!e)
            return {};
        return QRect(m_view->mapToGlobal(e->rect.topLeft()), e->rect.size());
    }
    QAccessible::Role role() const override
    {
        const PictureElement* e = element();
        return e && e->litColour != 0 ? QAccessible::CheckBox : QAccessible::Button;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        const PictureElement* e = element();
        if (!e) {
            s.invalid = true;
            return s;
        }
        s.invisible = !m_view->isVisible();
        s.disabled = !m_view->isEnabled();
        // The keyboard's focus mark is the element's focus.
        s.focusable = true;
        s.focused = m_view->markShown() && m_view->markedElement() == m_index;
        if (e->litColour != 0) {
            s.checkable = true;
            s.checked = isLit(m_view.data(), *e);
        }
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    QStringList actionNames() const override
    {
        const PictureElement* e = element();
        if (!e)
            return {};
        return {e->litColour != 0 ? toggleAction() : pressAction()};
    }
    void doAction(const QString& actionName) override
    {
        const PictureElement* e = element();
        if (!e || !actionNames().contains(actionName) || !clickable(m_view.data()))
            return;
        // The same mouse-down the picture reports for a click in the element's middle.
        const QPoint centre = e->rect.center();
        emit m_view->mouseDown(Qt::LeftButton, Qt::NoModifier, centre.x(), centre.y());
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    const PictureElement* element() const
    {
        const Registration* registration = m_view ? registrationOf(m_view.data()) : nullptr;
        if (!registration || m_index < 0 ||
            m_index >= static_cast<int>(registration->elements.size()))
            return nullptr;
        return &registration->elements[static_cast<std::size_t>(m_index)];
    }

    QPointer<ImageView> m_view;
    int m_index;
};

class PictureAccessible : public QAccessibleWidget {
public:
    explicit PictureAccessible(ImageView* view) : QAccessibleWidget(view, QAccessible::Graphic) {}

    ~PictureAccessible() override
    {
        for (const auto& [index, id] : m_children)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override
    {
        const Registration* registration = registrationOf(object());
        return registration ? static_cast<int>(registration->elements.size()) : 0;
    }

    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        const auto found = m_children.find(index);
        if (found != m_children.end())
            return QAccessible::accessibleInterface(found->second);
        auto* element = new ElementAccessible(static_cast<ImageView*>(widget()), index);
        m_children[index] = QAccessible::registerAccessibleInterface(element);
        return element;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (const auto& [index, id] : m_children)
            if (QAccessible::accessibleInterface(id) == child)
                return index;
        return -1;
    }

    QAccessibleInterface* focusChild() const override
    {
        const auto* view = static_cast<const ImageView*>(widget());
        return view->markShown() ? child(view->markedElement()) : nullptr;
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const Registration* registration = registrationOf(object());
        if (!registration)
            return nullptr;
        const QPoint p = widget()->mapFromGlobal(QPoint(x, y));
        for (std::size_t i = 0; i < registration->elements.size(); ++i)
            if (registration->elements[i].rect.contains(p))
                return child(static_cast<int>(i));
        return nullptr;
    }

    QString text(QAccessible::Text t) const override
    {
        const Registration* registration = registrationOf(object());
        if (t != QAccessible::Description || !registration || !registration->listsLitLeds)
            return QAccessibleWidget::text(t);
        QStringList lit;
        for (const PictureElement& e : registration->elements)
            if (isLit(static_cast<const ImageView*>(widget()), e))
                lit << e.name;
        if (lit.isEmpty())
            return QStringLiteral("Aucune led allumée.");
        return QStringLiteral("Leds allumées : %1.").arg(lit.join(QStringLiteral(", ")));
    }

private:
    mutable std::map<int, QAccessible::Id> m_children;
};

QAccessibleInterface* pictureFactory(const QString& className, QObject* object)
{
    if (className != QLatin1String(ImageView::staticMetaObject.className()) ||
        !registrationOf(object))
        return nullptr;
    return new PictureAccessible(static_cast<ImageView*>(object));
}

// The keyboard reaches the elements in `order`; the accessible focus follows its mark.
void registerPicture(ImageView* view, Registration registration, std::vector<int> order,
                     int markMargin, bool enterActs)
{
    KeyboardElements keys;
    for (const PictureElement& element : registration.elements)
        keys.rects.push_back(element.rect);
    keys.order = std::move(order);
    keys.markMargin = markMargin;
    keys.enterActs = enterActs;
    view->setKeyboardElements(std::move(keys));
    static const bool installed = [] {
        QAccessible::installFactory(&pictureFactory);
        return true;
    }();
    (void)installed;
    if (!registry().contains(view)) {
        QObject::connect(view, &QObject::destroyed,
                         [view] { registry().remove(static_cast<const QObject*>(view)); });
        QObject::connect(view, &ImageView::markMoved, view, [view](int element) {
            if (!QAccessible::isActive())
                return;
            QAccessibleEvent event(view, QAccessible::Focus);
            event.setChild(element);
            QAccessible::updateAccessibility(&event);
        });
    }
    registry().insert(view, std::move(registration));
    // An interface made before the picture was registered (the accessibility events of its
    // construction can make one) knows nothing of the elements: drop it, so that the next
    // query makes the picture's own.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(view);
    if (made && !dynamic_cast<PictureAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace

namespace {

enum DiagramSlot { ServeurA, ServeurB, Machine1, Hub1 = Machine1 + 6, Hub2, Switch, SlotCount };

// Inclusive corners; empty while right < left.
struct Box {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;
};

// Each element's box is where a click reaches it: the hit test decides, and the hubs share the
// hub row by x. Worked out while compiling, from every point of the picture.
constexpr std::array<Box, SlotCount> diagramBoxes()
{
    std::array<Box, SlotCount> boxes{};
    for (int y = 0; y < kw::DiagramHeight; ++y) {
        for (int x = 0; x < kw::DiagramWidth; ++x) {
            const kw::DiagramHit hit = kw::HitTestDiagram(x, y);
            int slot = -1;
            if (hit.element == kw::DiagramElement::Station)
                slot = hit.station >= 7 ? ServeurA + hit.station - 7 : Machine1 + hit.station - 1;
            else if (hit.element == kw::DiagramElement::Switch)
                slot = Switch;
            else if (hit.element == kw::DiagramElement::HubRow && kw::HubAtX(x) != 0)
                slot = Hub1 + kw::HubAtX(x) - 1;
            if (slot < 0)
                continue;
            Box& box = boxes[static_cast<std::size_t>(slot)];
            if (box.right < box.left) {
                box = {x, y, x, y};
                continue;
            }
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                   std::max(box.bottom, y)};
        }
    }
    return boxes;
}

constexpr std::array<Box, SlotCount> DiagramBoxes = diagramBoxes();

} // namespace

std::vector<PictureElement> diagramElements()
{
    std::vector<PictureElement> elements;
    for (int station : {7, 8, 1, 2, 3, 4, 5, 6})
        elements.push_back({stationName(station), stationDescription(station), {}});
    for (int hub : {1, 2})
        elements.push_back({QStringLiteral("Hub %1").arg(hub), hubDescription(hub), {}});
    elements.push_back({QStringLiteral("Switch"),
                        QStringLiteral("Commutateur Ethernet à quatre ports. "
                                       "Cliquer pour le traiter."),
                        {}});
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const Box& box = DiagramBoxes[i];
        elements[i].rect = QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom));
    }
    return elements;
}

std::vector<PictureElement> ledElements(LedPicture kind)
{
    const QRgb rx = kind == LedPicture::Hub
                        ? toRgb(kw::colour::Green.r, kw::colour::Green.g, kw::colour::Green.b)
                        : toRgb(kw::colour::Green.r, kw::colour::Green.g, kw::colour::Green.b);
    const QRgb tx = kind == LedPicture::Hub
                        ? toRgb(kw::colour::Red.r, kw::colour::Red.g, kw::colour::Red.b)
                        : toRgb(kw::colour::Red.r, kw::colour::Red.g, kw::colour::Red.b);
    std::vector<PictureElement> elements;
    for (int k = 1; k <= kw::LedCount; ++k) {
        // On a hub the odd LED of a port is RX; on the switch it is TX.
        const bool receive = (k % 2 == 1) == (kind == LedPicture::Hub);
        QRect square;
        if (kind == LedPicture::Hub) {
            const kw::LedBox box = kw::LedRect(k);
            square = QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom));
        } else {
            const kw::SwitchLedRect box = kw::SwitchLedSquare(k);
            square = QRect(box.left, box.top, box.width, box.height);
        }
        elements.push_back(
            {QStringLiteral("Led %1 du port %2")
                 .arg(receive ? QStringLiteral("RX") : QStringLiteral("TX"))
                 .arg((k + 1) / 2),
             receive ? QStringLiteral("Led de réception. Cliquer pour l'allumer ou l'éteindre.")
                     : QStringLiteral("Led d'émission. Cliquer pour l'allumer ou l'éteindre."),
             square, receive ? rx : tx});
    }
    return elements;
}

void makeDiagramAccessible(ImageView* diagram)
{
    if (!diagram)
        return;
    // In the picture's reading order: the servers, the switch, the hubs, the machines.
    registerPicture(diagram, {diagramElements(), false}, {0, 1, 10, 8, 9, 2, 3, 4, 5, 6, 7}, 4,
                    true);
    diagram->setAccessibleName(QStringLiteral("Schéma du réseau"));
    diagram->setAccessibleDescription(
        QStringLiteral("ServeurA et ServeurB sur le switch, Hub 1 avec les machines 1 à 3 sur "
                       "le port 1, Hub 2 avec les machines 4 à 6 sur le port 4. Cliquer, dans "
                       "l'ordre, sur chaque élément actif concerné."));
}

void makeLedPictureAccessible(ImageView* picture, const QString& name, LedPicture kind)
{
    if (!picture)
        return;
    // The mark runs round the LED's socket; Enter is the dialog's "Terminé".
    registerPicture(picture, {ledElements(kind), true}, {0, 1, 2, 3, 4, 5, 6, 7}, 8, false);
    picture->setAccessibleName(name);
    // A screen reader hears the list of lit LEDs again when the picture changes.
    QObject::connect(picture, &ImageView::drawn, picture, [picture] {
        if (!QAccessible::isActive())
            return;
        QAccessibleEvent event(picture, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    });
}

} // namespace kw::ui
