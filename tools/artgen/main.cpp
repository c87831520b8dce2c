// artgen OUTDIR: draws every bitmap of the program into OUTDIR (normally
// resources/bitmaps). The output depends only on this code and the fonts of
// the Debian packages listed in deps/art.txt.
#include "Art.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen OUTDIR\n");
        return 2;
    }
    // Fonts and painting need a GUI application, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "artgen: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool ok = artgen::writePieceSets(dir) && artgen::writeTextures(dir) && artgen::writeCoordinateStrips(dir)
        && artgen::writeIcons(dir);
    return ok ? 0 : 1;
}
