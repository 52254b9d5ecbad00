#pragma once

#include "diagram.h"
#include "kit/deferred.h"

#include <QColor>
#include <QMainWindow>

#include <optional>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace kw {
class Game;
}

namespace kw::ui {
class ImageView;
}

// The student's work surface: the exercise, the network diagram and the main menu.
class TPrincipale : public QMainWindow {
    Q_OBJECT

    // The frame grid stays hidden until the source has emitted: it is built when first reached.
    kw::ui::DeferredControls m_frameGrid{[this] { makeFrameGrid(); }};

public:
    explicit TPrincipale(QWidget* parent = nullptr);

    // The program's start-up, from the current folder or the series named on the command
    // line. False when it stopped on a missing configuration or exercise source (its message
    // was shown): the program ends.
    bool FormCreate(const std::optional<std::string>& startArgument);
    bool startedUp() const { return m_startedUp; }

    void NouveauClick();
    void APropos1Click();
    void Quitter1Click();
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

    // Draws one line of a cable on the diagram.
    void DrawCableLine(int cable, kw::CableLine line, const QColor& colour);

    // Shows what the game's view holds for this window.
    void refresh(const kw::Game& game);

    QAction* Nouveau = nullptr;
    QAction* APropos1 = nullptr;
    QAction* Quitter1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label3 = nullptr;
    kw::ui::ImageView* Image1 = nullptr;
    kw::ui::Deferred<QTableWidget> trame_gauche{m_frameGrid};
    QLabel* resultat = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void makeFrameGrid();

    bool m_startedUp = false;
};
