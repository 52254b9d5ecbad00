#pragma once

// The one way the program shows a message box or runs a modal dialog.
// The program shows real ones; tests install a Script to play the student and
// record every message.

#include "game.h"

#include <QString>

#include <functional>

class QDialog;
class QWidget;

namespace kw::seam {

// The game's kinds of box, with their captions.
using BoxKind = kw::BoxKind;

struct BoxRecord {
    BoxKind kind;
    QString caption;
    QString text;
};

// Caption of a box kind: "Avertissement", "Erreur", "Information", "Confirmation".
QString captionOf(BoxKind kind);

// Shows a modal box centred on the screen. Warning, error and information boxes have a
// single "OK"; a confirmation box has "OK" and "Annuler". Returns true for OK.
bool messageBox(BoxKind kind, const QString& text);

// Runs `dialog` modally and returns its result (QDialog::Accepted or Rejected).
int execModal(QDialog* dialog);

// Test side. While a script is installed, boxes are not shown: onBox gets each one and
// returns the button pressed (true = OK). Modal dialogs are shown without a nested
// loop; onModal plays the student on them, and a dialog still open afterwards is
// closed as by its close box.
struct Script {
    std::function<bool(const BoxRecord&)> onBox;
    std::function<void(QDialog*)> onModal;
};

void setScript(Script* script); // nullptr: back to real boxes and dialogs
Script* script();

} // namespace kw::seam
