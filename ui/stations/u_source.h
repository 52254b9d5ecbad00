#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

// The sending station: the student copies the frame's two MAC addresses from the
// station's cache of known addresses, then confirms with "Terminé".
class Tf_source : public QDialog {
    Q_OBJECT
public:
    explicit Tf_source(QWidget* parent = nullptr);

    // Runs each time the dialog is shown: editable only while the frame is not yet emitted.
    void FormActivate();
    // Double-click on either grid: copies the selected cache row into the selected frame cell.
    void BitBtn2Click();
    // "Terminé": both addresses right emit the frame (FlowState 20) and close the dialog.
    void BitBtn1Click();

    // Shows the dialog modeless, running the activation again when it is already up.
    void showView();

    // What a new exercise resets in this dialog.
    void resetForNewExercise();

    // The selection the copy works on: a frame column 0..4 and a cache row 1..9.
    int selectedFrameColumn() const { return m_frameColumn; }
    int selectedCacheRow() const { return m_cacheRow; }

    QWidget* Panel = nullptr;
    QLabel* station_image = nullptr;
    QLabel* serveur_image = nullptr;
    QLineEdit* edit1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* Label2 = nullptr;
    QTableWidget* table_MAC = nullptr;
    QLabel* Label1 = nullptr;
    QTableWidget* trame = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void selectCacheRow(int row);
    void selectFrameColumn(int column);
    void cacheCurrentChanged(int row);
    void frameCurrentChanged(int column);

    int m_frameColumn = 0;
    int m_cacheRow = 1;
    bool m_restoringSelection = false;
};
