// Writes the application icon as a PNG of the given size, for installing.

#include <cstdio>
#include <cstdlib>

#include "app/ProjectIcons.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[1]) <= 0) {
    std::fprintf(stderr, "usage: corvox_render_icon SIZE FILE.png\n");
    return 2;
  }
  if (!ApplicationIconImage(std::atoi(argv[1])).save(argv[2], "PNG")) {
    std::fprintf(stderr, "corvox_render_icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
