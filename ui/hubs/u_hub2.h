#pragma once

#include "hubdialog.h"

// LED dialog of Hub 2 (the uplink to switch port 4 and Machines 4 to 6).
class Tf_hub2 : public HubDialog {
    Q_OBJECT
public:
    explicit Tf_hub2(QWidget* parent = nullptr);
};
