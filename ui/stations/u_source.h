#pragma once

#include <QDialog>

// Placeholder until the dialog is built: caption and size only.
class Tf_source : public QDialog {
    Q_OBJECT
public:
    explicit Tf_source(QWidget* parent = nullptr);

    // What a new exercise resets in this dialog.
    void resetForNewExercise();
};
