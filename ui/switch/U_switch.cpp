#include "U_switch.h"

Tf_switch::Tf_switch(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral(
        "Switch.     Analyser la trame reçue   1) et 2)       et en déduire l'action 3)"));
    resize(512, 338);
}

void Tf_switch::resetForNewExercise()
{
    hide();
}
