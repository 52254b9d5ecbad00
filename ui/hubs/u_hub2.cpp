#include "u_hub2.h"

namespace {

HubDialogLayout hub2Layout()
{
    HubDialogLayout layout;
    layout.objectName = QStringLiteral("f_hub2");
    layout.caption = QStringLiteral("Fonction du Hub 2");
    layout.outerSize = QSize(443, 128);
    layout.topLeft = QPoint(199, 299);
    layout.panel = QSize(433, 97);
    layout.label = QPoint(32, 72);
    layout.image = QPoint(8, 0);
    layout.button = QRect(232, 64, 121, 33);
    return layout;
}

} // namespace

Tf_hub2::Tf_hub2(QWidget* parent) : HubDialog(2, hub2Layout(), parent) {}
