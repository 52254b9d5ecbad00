#pragma once

#include "main/deferred.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

// A receiving station: the student decides whether the station copies the frame into
// its memory and confirms with "Terminé". Its controls are built at its first showing.
class Tf_destination : public kw::ui::BuiltWhenShown<QDialog> {
    Q_OBJECT
public:
    explicit Tf_destination(QWidget* parent = nullptr);

    // Runs each time the dialog is shown: editable only while the station may take the frame.
    void FormActivate();
    // "Terminé": the right decision closes the dialog (and may end the frame).
    void BitBtn1Click();

    // Shows the dialog modeless, running the activation again when it is already up.
    void showView();

    // What a new exercise resets in this dialog.
    void resetForNewExercise();

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
    void showEvent(QShowEvent* event) override;
};
