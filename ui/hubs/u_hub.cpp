#include "u_hub.h"

namespace {

HubDialogLayout hub1Layout()
{
    HubDialogLayout layout;
    layout.objectName = QStringLiteral("f_hub1");
    layout.caption = QStringLiteral("Fonction du Hub 1");
    layout.outerSize = QSize(439, 143);
    layout.centredOnScreen = true;
    layout.panel = QSize(428, 113);
    layout.label = QPoint(40, 88);
    layout.image = QPoint(8, 8);
    layout.button = QRect(232, 80, 121, 33);
    return layout;
}

} // namespace

Tf_hub1::Tf_hub1(QWidget* parent) : HubDialog(1, hub1Layout(), parent) {}
