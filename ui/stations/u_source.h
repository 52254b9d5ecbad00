#pragma once

#include "kit/deferred.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace kw {
class Game;
}

// The sending station: the student copies the frame's two MAC addresses from the
// station's cache of known addresses, then confirms with "Terminé". Its controls are built at
// its first showing.
class Tf_source : public kw::ui::BuiltWhenShown<QDialog> {
    Q_OBJECT
public:
    explicit Tf_source(QWidget* parent = nullptr);

    // The student has switched to the dialog from another window of the program.
    void FormActivate();
    // Double-click on either grid: copies the selected cache row into the selected frame cell.
    void BitBtn2Click();
    // "Terminé": both addresses right emit the frame and close the dialog.
    void BitBtn1Click();
    // The close box, or Escape.
    void reject() override;

    // The selection the copy works on: a frame column 0..4 and a cache row 1..9.
    int selectedFrameColumn() const;
    int selectedCacheRow() const;

    // Shows what the game's view holds for this dialog.
    void refresh(const kw::Game& game);

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
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showView(const kw::Game& game);
    void selectCacheRow(int row);
    void selectFrameColumn(int column);
};
