#pragma once

#include <QDialog>

// Placeholder until the dialog is built: caption and size only.
class Tf_destination : public QDialog {
    Q_OBJECT
public:
    explicit Tf_destination(QWidget* parent = nullptr);

    // What a new exercise resets in this dialog.
    void resetForNewExercise();
};
