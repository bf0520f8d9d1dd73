// Writes the staged program folder's version (platform/app_dir.h) into it, so that a
// start of the program compares two short files instead of listing the folder.
#include <cstdio>

#include "platform/app_dir.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vornel_stamp_bundle DIR\n");
    return 2;
  }
  if (!vornel::writeBundleVersion(argv[1])) {
    std::fprintf(stderr, "vornel_stamp_bundle: cannot write the version into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
