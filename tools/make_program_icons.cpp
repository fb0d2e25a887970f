// Writes the program's picture in the sizes the desktop's menus use, in the layout of an icon
// theme: <folder>/<n>x<n>/apps/tervolin.png.
//   make_program_icons <folder> 16 22 24 32 48 64 128 256

#include "platform/icons.h"

#include <QDir>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        bool number = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&number);
        if (!number || size < 16 || size > 1024) {
            std::fprintf(stderr, "not a size: %s\n", argv[i]);
            return 2;
        }
        const QString folder = root.filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (!QDir().mkpath(folder) || !programImage(size).save(folder + QStringLiteral("/tervolin.png"))) {
            std::fprintf(stderr, "cannot write the picture of %d pixels in %s\n", size, argv[1]);
            return 1;
        }
    }
    return 0;
}
