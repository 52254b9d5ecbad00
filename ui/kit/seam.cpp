#include "seam.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace kw::seam {

namespace {
Script* currentScript = nullptr;

QMessageBox::Icon iconOf(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Warning:
        return QMessageBox::Warning;
    case BoxKind::Error:
        return QMessageBox::Critical;
    case BoxKind::Information:
        return QMessageBox::Information;
    case BoxKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QString captionOf(BoxKind kind)
{
    return QString::fromUtf8(kw::BoxCaption(kind));
}

bool messageBox(BoxKind kind, const QString& text)
{
    if (currentScript) {
        const BoxRecord record{kind, captionOf(kind), text};
        return currentScript->onBox ? currentScript->onBox(record) : true;
    }
    const bool confirm = kind == BoxKind::Confirmation;
    // A caption with a close box only, as message boxes have, and above the two stay-on-top
    // reference windows: a modal box hidden behind them would leave the program looking
    // frozen.
    QMessageBox box(iconOf(kind), captionOf(kind), text,
                    confirm ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, nullptr,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                        Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                        Qt::WindowStaysOnTopHint);
    // The desktop's own font: the application's is the windows' layout face.
    box.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    // French captions whatever the system's language.
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    if (confirm)
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("Annuler"));
    box.setDefaultButton(QMessageBox::Ok);
    box.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = box.frameGeometry();
        frame.moveCenter(screen->geometry().center());
        box.move(frame.topLeft());
    }
    return box.exec() == QMessageBox::Ok;
}

int execModal(QDialog* dialog)
{
    if (!currentScript)
        return dialog->exec();
    dialog->setResult(QDialog::Rejected);
    dialog->show();
    if (currentScript->onModal)
        currentScript->onModal(dialog);
    if (dialog->isVisible())
        dialog->close();
    return dialog->result();
}

void setScript(Script* script)
{
    currentScript = script;
}

Script* script()
{
    return currentScript;
}

} // namespace kw::seam
