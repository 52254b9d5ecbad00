#pragma once

#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;

// The student's score sheet for the current frame: ticks, error total, end of frame.
class Tf_avance : public QWidget {
    Q_OBJECT
public:
    explicit Tf_avance(QWidget* parent = nullptr);

    // Counts one error, shows the new total, then the warning box.
    void ReportError(const QString& message);

    void FormActivate();
    void emetteurClick();
    void destinataireClick();
    void fin_traitementClick();

    void showExerciseNumber(const QString& caption);
    void showErrorTotal();

    // Hands the finished frame over to the student: ticked, enabled, in front.
    void frameCompleted();

    void resetForNewExercise();

    QFrame* Panel1 = nullptr;
    QLabel* numero_exo = nullptr;
    QLabel* label_erreurs = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* emetteur = nullptr;
    QCheckBox* Hub1 = nullptr;
    QCheckBox* Hub2 = nullptr;
    QCheckBox* switch_ = nullptr;
    QCheckBox* destinataire = nullptr;
    QCheckBox* _emetteur = nullptr;
    QCheckBox* _hub1 = nullptr;
    QCheckBox* _hub2 = nullptr;
    QCheckBox* _switch = nullptr;
    QCheckBox* _destinataire = nullptr;
    QPushButton* fin_traitement = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

namespace kw::ui {
// The one way a student error is reported and counted.
void ReportError(const QString& message);
} // namespace kw::ui
