#pragma once

#include "hubdialog.h"

// LED dialog of Hub 1 (Machines 1 to 3 and the uplink to switch port 1).
class Tf_hub1 : public HubDialog {
    Q_OBJECT
public:
    explicit Tf_hub1(QWidget* parent = nullptr);
};
