#pragma once

// Every bitmap of the program, drawn from code at 1x and at 2x for high-density screens.

#include <QImage>
#include <QString>

#include <vector>

namespace drawassets {

QImage drawDiagram(int scale);            // 485 x 234 network diagram, without cables
QImage drawHubLeds(int scale);            // 415 x 60 LED picture of the hub dialogs
QImage drawSwitchLeds(int scale);         // 415 x 60 LED picture of the switch LED dialog
QImage drawSwitchSmall(int scale);        // 141 x 20 switch of the switch dialog
QImage drawStation(int scale);            // 34 x 33 desktop computer
QImage drawServer(int scale);             // 41 x 40 server
QImage drawTick(int scale, bool enabled); // 18 x 18 "Terminé" glyph, transparent background
QImage drawProgram(int scale);            // 74 x 62 about box picture
QImage drawAppIcon(int scale);            // 64 x 64 window icon

struct Asset {
    QString fileName; // "diagram.png", "diagram@2x.png", ...
    QImage image;
};

// All pictures, each at 1x and 2x.
std::vector<Asset> drawAllAssets();

} // namespace drawassets
