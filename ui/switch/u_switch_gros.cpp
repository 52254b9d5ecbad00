#include "u_switch_gros.h"

Tf_switch_gros::Tf_switch_gros(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Leds du  switch"));
    resize(438, 138);
}

void Tf_switch_gros::resetForNewExercise()
{
    hide();
}
