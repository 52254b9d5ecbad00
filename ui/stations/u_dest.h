#pragma once

#include "kit/deferred.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace kw {
class Game;
}

// A receiving station: the student decides whether the station copies the frame into
// its memory and confirms with "Terminé". Its controls are built at its first showing.
class Tf_destination : public kw::ui::BuiltWhenShown<QDialog> {
    Q_OBJECT
public:
    explicit Tf_destination(QWidget* parent = nullptr);

    // The student has switched to the dialog from another window of the program.
    void FormActivate();
    // "Copier la trame en mémoire" ticked or unticked.
    void copierClick();
    // "Terminé": the right decision closes the dialog (and may end the frame).
    void BitBtn1Click();
    // The close box, or Escape.
    void reject() override;

    // Shows what the game's view holds for this dialog.
    void refresh(const kw::Game& game);

    kw::ui::Deferred<QWidget> Panel{m_controls};
    kw::ui::Deferred<QLabel> serveur_image{m_controls};
    kw::ui::Deferred<QLabel> station_image{m_controls};
    kw::ui::Deferred<QLineEdit> edit1{m_controls};
    kw::ui::Deferred<QPushButton> BitBtn1{m_controls};
    kw::ui::Deferred<QLabel> Label1{m_controls};
    kw::ui::Deferred<QCheckBox> copier{m_controls};
    kw::ui::Deferred<QTableWidget> trame{m_controls};

protected:
    void makeControls() override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void showView(const kw::Game& game);
};
