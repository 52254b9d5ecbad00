#pragma once

#include "kit/deferred.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The about box: the program's name and version. Its controls are built at its first showing.
class Tapropos : public kw::ui::BuiltWhenShown<QDialog> {
    Q_OBJECT
public:
    explicit Tapropos(QWidget* parent = nullptr);

    void OKButtonClick();
    // The close box, or Escape.
    void reject() override;

    kw::ui::Deferred<QFrame> Panel1{m_controls};
    kw::ui::Deferred<QLabel> ProgramIcon{m_controls};
    kw::ui::Deferred<QLabel> Version{m_controls};
    kw::ui::Deferred<QPushButton> OKButton{m_controls};

protected:
    void makeControls() override;
};
