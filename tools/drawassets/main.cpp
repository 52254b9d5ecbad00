// drawassets: draws the program's bitmaps.
//   drawassets <folder>           writes every picture into <folder> (created if needed)
//   drawassets --check <folder>   exits with 1 unless <folder> holds exactly these pictures

#include "pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QImageWriter>
#include <QSaveFile>
#include <QSet>

#include <cstdio>
#include <exception>

namespace {

void complain(const QString& text)
{
    std::fprintf(stderr, "drawassets: %s\n", qPrintable(text));
}

bool writeAll(const std::vector<drawassets::Asset>& assets, const QString& folder)
{
    if (!QDir().mkpath(folder)) {
        complain(QStringLiteral("cannot create folder %1").arg(folder));
        return false;
    }
    const QDir dir(folder);
    for (const auto& asset : assets) {
        // Written to a temporary file and renamed, so a failure leaves no half picture.
        QSaveFile file(dir.filePath(asset.fileName));
        if (!file.open(QIODevice::WriteOnly)) {
            complain(
                QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
            return false;
        }
        QImageWriter writer(&file, "png");
        if (!writer.write(asset.image) || !file.commit()) {
            complain(QStringLiteral("cannot write %1: %2")
                         .arg(file.fileName(), writer.errorString() + file.errorString()));
            return false;
        }
    }
    return true;
}

bool checkAll(const std::vector<drawassets::Asset>& assets, const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists()) {
        complain(QStringLiteral("no folder %1").arg(folder));
        return false;
    }
    bool same = true;
    QSet<QString> drawn;
    for (const auto& asset : assets) {
        drawn.insert(asset.fileName);
        const QImage stored(dir.filePath(asset.fileName));
        if (stored.isNull()) {
            complain(QStringLiteral("%1 is missing or unreadable").arg(asset.fileName));
            same = false;
        } else if (stored.convertToFormat(QImage::Format_ARGB32) !=
                   asset.image.convertToFormat(QImage::Format_ARGB32)) {
            complain(QStringLiteral("%1 differs from what is drawn; run drawassets %2")
                         .arg(asset.fileName, folder));
            same = false;
        }
    }
    for (const QString& name : dir.entryList({QStringLiteral("*.png")}, QDir::Files)) {
        if (!drawn.contains(name)) {
            complain(QStringLiteral("%1 is not drawn by drawassets").arg(name));
            same = false;
        }
    }
    return same;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    const bool check = !args.isEmpty() && args.first() == QStringLiteral("--check");
    if (check)
        args.removeFirst();
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: drawassets [--check] <folder>\n");
        return 2;
    }
    try {
        const auto assets = drawassets::drawAllAssets();
        return (check ? checkAll(assets, args.first()) : writeAll(assets, args.first())) ? 0 : 1;
    } catch (const std::exception& e) {
        complain(QString::fromUtf8(e.what()));
        return 1;
    }
}
