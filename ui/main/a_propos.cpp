#include "a_propos.h"

#include "kit/play.h"
#include "kit/widgets.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

Tapropos::Tapropos(QWidget* parent)
    : BuiltWhenShown(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                 Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("apropos"));
    setWindowTitle(QStringLiteral("KW SWITCH"));
    setFont(kw::ui::defaultFont());
    setFixedSize(289, 221);
    kw::ui::centreOnScreen(this, kw::ui::WindowFrame::Fixed);
    setAccessibleDescription(QStringLiteral("Nom et version du programme"));
}

void Tapropos::makeControls()
{
    Panel1 = new QFrame(this);
    Panel1->setGeometry(8, 0, 281, 193);
    // A lowered outer bevel around a raised inner one: an etched edge.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setMidLineWidth(0);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setGeometry(8, 8, 41, 33);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(kw::ui::loadPicture(QStringLiteral(":/program.png"), ProgramIcon));

    Version = new QLabel(QStringLiteral("Version 1.0  février 2000"), Panel1);
    Version->setGeometry(96, 8, 115, 13);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 196, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &Tapropos::OKButtonClick);

    // What screen readers say of the picture.
    ProgramIcon->setAccessibleName(QStringLiteral("Image du programme"));
    ProgramIcon->setAccessibleDescription(QStringLiteral("L'icône de KW SWITCH"));
}

void Tapropos::OKButtonClick()
{
    kw::ui::play().act([](kw::Game& g) { return g.pressDone(kw::Window::APropos); });
}

void Tapropos::reject()
{
    kw::ui::play().closeWindow(kw::Window::APropos);
}
