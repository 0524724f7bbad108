// Saves the program's icon as a PNG file for installation: make_icon <output.png>
#include <cstdio>

#include "app/icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output.png>\n", argv[0]);
    return 2;
  }
  if (!pagewick::DrawIcon().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
