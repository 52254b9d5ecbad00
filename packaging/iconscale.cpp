// Build-time helper: writes the program's icon at one of the usual hicolor sizes.
//   iconscale <source.png> <size> <output.png>
// The source is a square picture at least as large as the size wanted; it is shrunk with
// area averaging so that thin lines stay visible, and written as 32-bit RGBA PNG.

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "iconscale: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return fail(QStringLiteral("usage: iconscale <source.png> <size> <output.png>"));
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[3]);
    bool ok = false;
    const int size = QString::fromLocal8Bit(argv[2]).toInt(&ok);
    if (!ok || size < 1 || size > 1024)
        return fail(QStringLiteral("size must be a whole number from 1 to 1024"));

    QImage image(source);
    if (image.isNull())
        return fail(QStringLiteral("cannot read %1").arg(source));
    if (image.width() != image.height())
        return fail(QStringLiteral("%1 is not square (%2 x %3)")
                        .arg(source)
                        .arg(image.width())
                        .arg(image.height()));
    // Enlarging would only blur the picture: the build picks a source at least this large.
    if (image.width() < size)
        return fail(QStringLiteral("%1 is smaller than %2 pixels").arg(source).arg(size));

    // Averaging in premultiplied form keeps transparent pixels from darkening the edges.
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.width() != size)
        image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_ARGB32);

    if (!QDir().mkpath(QFileInfo(output).absolutePath()))
        return fail(QStringLiteral("cannot create the folder of %1").arg(output));
    QImageWriter writer(output, "png");
    if (!writer.write(image))
        return fail(QStringLiteral("cannot write %1: %2").arg(output, writer.errorString()));
    return 0;
}
