// Build-time helper: writes a PNG picture as runs of equal pixels (ui/kit/pixelruns.h), the
// form in which the program embeds the pictures it shows at start-up.
//   packruns <source.png> <output.runs>
// The runs are decoded again and compared with the picture before they are written.

#include "kit/pixelruns.h"

#include <QFile>
#include <QImage>
#include <QString>

#include <cstdio>
#include <span>
#include <vector>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "packruns: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return fail(QStringLiteral("usage: packruns <source.png> <output.runs>"));
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);

    // The pixels as the PNG gives them, 0xAARRGGBB with their alpha unmultiplied (0xff for
    // an opaque picture).
    const QImage image = QImage(source).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return fail(QStringLiteral("cannot read %1").arg(source));
    if (image.width() > kw::ui::MaxRunsSide || image.height() > kw::ui::MaxRunsSide)
        return fail(QStringLiteral("%1 is too large").arg(source));
    std::vector<std::uint32_t> pixels;
    pixels.reserve(std::size_t(image.width()) * std::size_t(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        pixels.insert(pixels.end(), line, line + image.width());
    }

    const std::vector<std::uint8_t> runs =
        kw::ui::EncodeRuns(image.width(), image.height(), pixels);
    std::vector<std::uint32_t> decoded(pixels.size());
    if (!kw::ui::DecodeRuns(runs, decoded) || decoded != pixels)
        return fail(QStringLiteral("the runs of %1 do not give it back").arg(source));

    QFile file(output);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(runs.data()), qint64(runs.size())) !=
            qint64(runs.size()) ||
        !file.flush())
        return fail(QStringLiteral("cannot write %1").arg(output));
    return 0;
}
