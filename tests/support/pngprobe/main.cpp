// A small test tool for the scripted runs: prints a pixel of a PNG file as the
// program writes colours, 0xBBGGRR in six hexadecimal digits, or the picture's
// size as WIDTHxHEIGHT.
//   pngprobe FILE X Y     pixel (X, Y), "none" outside the picture
//   pngprobe FILE size    the size
// Exit status 1 when the file cannot be read or the arguments are wrong.
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: pngprobe FILE X Y | pngprobe FILE size\n");
        return 1;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "pngprobe: cannot read %s\n", argv[1]);
        return 1;
    }
    if (argc == 3) {
        std::printf("%dx%d\n", image.width(), image.height());
        return 0;
    }
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
    if (!image.valid(x, y)) {
        std::printf("none\n");
        return 0;
    }
    const QRgb c = image.pixel(x, y);
    std::printf("0x%06x\n", qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
    return 0;
}
