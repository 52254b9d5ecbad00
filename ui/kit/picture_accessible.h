#pragma once

// What screen readers and the keyboard reach in the pictures the student clicks in: the
// network diagram and the LED pictures. Each picture gets one accessible child per thing a click
// reaches, with its name, its rectangle on the screen and an action that clicks it; the keyboard
// moves a focus mark from thing to thing and acts on it (ImageView), and the accessible focus
// follows the mark.

#include <QRect>
#include <QRgb>
#include <QString>

#include <vector>

namespace kw::ui {

class ImageView;

// One thing in a picture that a click reaches. `rect` is in picture pixels.
struct PictureElement {
    QString name;
    QString description;
    QRect rect;
    // An LED: the colour the picture shows while it is lit. 0 for any other element.
    QRgb litColour = 0;
};

// ServeurA, ServeurB, Machine 1..6, Hub 1, Hub 2 and Switch, each with the rectangle of the
// diagram's points whose click reaches it.
std::vector<PictureElement> diagramElements();

enum class LedPicture { Hub, Switch };

// LEDs 1..8 of a hub's (odd LEDs RX) or the switch's (odd LEDs TX) picture, each with the
// square painted when it is lit.
std::vector<PictureElement> ledElements(LedPicture kind);

// Names the diagram "Schéma du réseau" and gives it the children of diagramElements(); the
// keyboard reaches them in reading order, and Enter or Space clicks the marked one.
void makeDiagramAccessible(ImageView* diagram);

// Names an LED picture and gives it one check box per LED, ticked while the picture shows the
// LED lit; the picture's description lists the lit LEDs. The keyboard reaches the LEDs from
// left to right; Space toggles the marked one and Enter is left to the dialog.
void makeLedPictureAccessible(ImageView* picture, const QString& name, LedPicture kind);

} // namespace kw::ui
