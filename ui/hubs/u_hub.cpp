#include "u_hub.h"

Tf_hub1::Tf_hub1(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Fonction du Hub 1"));
    resize(439, 143);
}

void Tf_hub1::resetForNewExercise()
{
    hide();
}
