// Run at build time: turns the window's pictures (PNG files, or the
// toolkit's own built-in ones by their ":/" names) into C++ arrays of
// premultiplied ARGB pixels, so that the program shows them without decoding
// a PNG, and without the PNG library, at start.
//   snesenie-raw-pictures OUT.cpp NAME=PICTURE...

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSaveFile>
#include <QStyleFactory>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: snesenie-raw-pictures OUT.cpp NAME=PICTURE...\n", stderr);
        return 2;
    }
    // The toolkit's own pictures live in its widgets library, whose
    // resources are there once it is loaded.
    (void)QStyleFactory::keys();
    QByteArray out =
        "// Made at build time by snesenie-raw-pictures from the pictures named below.\n"
        "#include \"BuiltInPictures.h\"\n\n#include <cstdint>\n\nnamespace {\n";
    QByteArray table = "const BuiltInPicture kPictures[] = {\n";
    for (int i = 2; i < argc; ++i) {
        const QByteArray word(argv[i]);
        const qsizetype equals = word.indexOf('=');
        if (equals <= 0) {
            std::fprintf(stderr, "snesenie-raw-pictures: not NAME=PICTURE: %s\n", argv[i]);
            return 2;
        }
        const QByteArray name = word.left(equals);
        const QString path = QFile::decodeName(word.mid(equals + 1));
        QImageReader reader(path, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            std::fprintf(stderr, "snesenie-raw-pictures: cannot read %s: %s\n", argv[i],
                         reader.errorString().toLocal8Bit().constData());
            return 1;
        }
        const QByteArray array = "kPixels" + QByteArray::number(i - 2);
        out += "// " + name + ": " + QFile::encodeName(path).split('/').last() + "\nconst std::uint32_t " + array +
               "[] = {";
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                out += ((x % 8 == 0) ? "\n    0x" : " 0x") + QByteArray::number(line[x], 16).rightJustified(8, '0') + ',';
        }
        out += "\n};\n";
        table += "    {\"" + name + "\", " + QByteArray::number(image.width()) + ", " +
                 QByteArray::number(image.height()) + ", " + array + "},\n";
    }
    out += "\n" + table + "};\n\n} // namespace\n\nstd::span<const BuiltInPicture> BuiltInPictures() { return kPictures; }\n";
    QSaveFile file(QFile::decodeName(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        std::fprintf(stderr, "snesenie-raw-pictures: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
