#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The about box: the program's name and version.
class Tapropos : public QDialog {
    Q_OBJECT
public:
    explicit Tapropos(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* Version = nullptr;
    QPushButton* OKButton = nullptr;
};
