#include "u_source.h"

Tf_source::Tf_source(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Noeud émetteur"));
    setFixedSize(406, 340);
}

void Tf_source::resetForNewExercise()
{
    hide();
}
