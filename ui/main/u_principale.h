#pragma once

#include "deferred.h"
#include "diagram.h"

#include <QColor>
#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QTableWidget;

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

    // False when start-up stopped on a missing configuration or exercise source.
    bool startedUp() const { return m_startedUp; }

    void NouveauClick();
    void APropos1Click();
    void Quitter1Click();
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

    void DrawCables();
    void DrawCableLine(int cable, kw::CableLine line, const QColor& colour);

    // End of an imposed series: the elapsed time is shown and "Nouveau" stays disabled.
    void FIN();

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
    bool FormCreate();
    void makeFrameGrid();

    bool m_startedUp = false;
};

namespace kw::ui {
// The diagram's cable drawing, reached by every element step.
void DrawCableLine(int cable, kw::CableLine line, const QColor& colour);
} // namespace kw::ui
