// Writes the program icon as a PNG for the desktop's icon theme, at its own size or scaled to
// SIZE pixels square; pixels are repeated, not blended, so the drawing stays sharp.
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "resources/pbn_icon.xpm"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: karvelon_icon_png OUT.png [SIZE]\n");
    return 2;
  }
  QImage tIcon(pbn_icon_xpm);
  if (argc == 3) {
    const int Size = std::atoi(argv[2]);
    if (Size <= 0) {
      std::fprintf(stderr, "karvelon_icon_png: SIZE must be a positive number\n");
      return 2;
    }
    tIcon = tIcon.scaled(Size, Size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  }
  if (tIcon.isNull() || !tIcon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "karvelon_icon_png: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
