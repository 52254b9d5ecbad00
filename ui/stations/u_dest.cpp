#include "u_dest.h"

Tf_destination::Tf_destination(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Réception de la trame"));
    resize(410, 119);
}

void Tf_destination::resetForNewExercise()
{
    hide();
}
