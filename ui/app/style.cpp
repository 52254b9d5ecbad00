#include "style.h"

#include "kit/widgets.h"

#include <QApplication>
#include <QIcon>
#include <QProxyStyle>

namespace kw::ui {

namespace {

// The desktop's style, every call passed on, but for the icon of the menu bar's extension
// button, made when the menu bar is. The style makes it from its files at once, which asks
// every image plugin installed whether it reads them, and loads them all: made from the same
// files read as PNG when first drawn, it is the same icon without the plugins. (Three menu
// items never need the button: the icon is never drawn.)
class ProgramStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap pixmap, const QStyleOption* option,
                       const QWidget* widget) const override
    {
        if (pixmap != SP_ToolBarHorizontalExtensionButton ||
            QGuiApplication::layoutDirection() == Qt::RightToLeft)
            return QProxyStyle::standardIcon(pixmap, option, widget);
        QList<IconFile> files;
        for (int size : {8, 16, 32})
            files << IconFile{QStringLiteral(":/qt-project.org/styles/commonstyle/images/"
                                             "toolbar-ext-h-%1.png")
                                  .arg(size)};
        return iconOfFiles(files);
    }
};

} // namespace

void useProgramStyle()
{
    if (dynamic_cast<const ProgramStyle*>(QApplication::style()))
        return;
    // The proxy takes the style the application has (the desktop's, or the one asked for on
    // the command line) as its own.
    QApplication::setStyle(new ProgramStyle(QApplication::style()));
}

} // namespace kw::ui
