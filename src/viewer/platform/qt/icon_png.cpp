// Writes the program icon as a PNG for the desktop's icon theme.
#include <QImage>
#include <cstdio>

#include "resources/pbn_icon.xpm"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: karvelon_icon_png OUT.png\n");
    return 2;
  }
  const QImage tIcon(pbn_icon_xpm);
  if (tIcon.isNull() || !tIcon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "karvelon_icon_png: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
