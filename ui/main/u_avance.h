#pragma once

#include "game.h"
#include "kit/deferred.h"

#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

// The student's score sheet for the current frame: ticks, error total, end of frame. Its
// controls are built when the window first comes on the screen, or first used.
class Tf_avance : public kw::ui::BuiltWhenExposed<QWidget> {
    Q_OBJECT
public:
    explicit Tf_avance(QWidget* parent = nullptr);

    void FormActivate();
    void emetteurClick();
    void destinataireClick();
    void fin_traitementClick();

    // The error total while a box tells of an error (before the window shows the view again).
    void showErrorTotal(int total);

    // Shows what the game's view holds for this window.
    void refresh(const kw::Game& game);

    kw::ui::Deferred<QFrame> Panel1{m_controls};
    kw::ui::Deferred<QLabel> numero_exo{m_controls};
    kw::ui::Deferred<QLabel> label_erreurs{m_controls};
    kw::ui::Deferred<QLabel> Label2{m_controls};
    kw::ui::Deferred<QLabel> Label1{m_controls};
    kw::ui::Deferred<QCheckBox> emetteur{m_controls};
    kw::ui::Deferred<QCheckBox> Hub1{m_controls};
    kw::ui::Deferred<QCheckBox> Hub2{m_controls};
    kw::ui::Deferred<QCheckBox> switch_{m_controls};
    kw::ui::Deferred<QCheckBox> destinataire{m_controls};
    kw::ui::Deferred<QCheckBox> _emetteur{m_controls};
    kw::ui::Deferred<QCheckBox> _hub1{m_controls};
    kw::ui::Deferred<QCheckBox> _hub2{m_controls};
    kw::ui::Deferred<QCheckBox> _switch{m_controls};
    kw::ui::Deferred<QCheckBox> _destinataire{m_controls};
    kw::ui::Deferred<QPushButton> fin_traitement{m_controls};

protected:
    void makeControls() override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showView(const kw::Game& game);
    // A "Non concerné" box ticked or unticked by the student.
    void tickClick(kw::Tick tick, bool ticked);
    QCheckBox* box(kw::Tick tick) const;
};
