#pragma once

#include <QDialog>

// Placeholder until the dialog is built: caption and size only.
class Tf_switch : public QDialog {
    Q_OBJECT
public:
    explicit Tf_switch(QWidget* parent = nullptr);

    // What a new exercise resets in this dialog.
    void resetForNewExercise();
};
