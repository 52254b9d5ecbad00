#include "u_hub2.h"

Tf_hub2::Tf_hub2(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Fonction du Hub 2"));
    resize(443, 128);
}

void Tf_hub2::resetForNewExercise()
{
    hide();
}
