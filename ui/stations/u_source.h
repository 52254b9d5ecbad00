#pragma once

#include "global.h"
#include "main/deferred.h"

#include <QDialog>
#include <QString>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

// The sending station: the student copies the frame's two MAC addresses from the
// station's cache of known addresses, then confirms with "Terminé". Its controls are built at
// its first showing.
class Tf_source : public kw::ui::BuiltWhenShown<QDialog> {
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

    kw::ui::Deferred<QWidget> Panel{m_controls};
    kw::ui::Deferred<QLabel> station_image{m_controls};
    kw::ui::Deferred<QLabel> serveur_image{m_controls};
    kw::ui::Deferred<QLineEdit> edit1{m_controls};
    kw::ui::Deferred<QPushButton> BitBtn1{m_controls};
    kw::ui::Deferred<QLabel> Label2{m_controls};
    kw::ui::Deferred<QTableWidget> table_MAC{m_controls};
    kw::ui::Deferred<QLabel> Label1{m_controls};
    kw::ui::Deferred<QTableWidget> trame{m_controls};

protected:
    void makeControls() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void selectCacheRow(int row);
    void selectFrameColumn(int column);
    void cacheCurrentChanged(int row);
    void frameCurrentChanged(int column);

    // The addresses known at creation, name and MAC text of each row, for the cache grid.
    std::array<std::array<QString, 2>, kw::BroadcastIndex + 1> m_cache;
    int m_frameColumn = 0;
    int m_cacheRow = 1;
    bool m_restoringSelection = false;
};
