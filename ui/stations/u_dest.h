#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

// A receiving station: the student decides whether the station copies the frame into
// its memory and confirms with "Terminé".
class Tf_destination : public QDialog {
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

    QWidget* Panel = nullptr;
    QLabel* serveur_image = nullptr;
    QLabel* station_image = nullptr;
    QLineEdit* edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* copier = nullptr;
    QTableWidget* trame = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
