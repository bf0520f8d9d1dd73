#include <unistd.h>

#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // A picture written to standard output must reach it byte for byte and in one piece.
  std::ios::sync_with_stdio(false);
  return vornel::runCli(args, std::cout, std::cerr, &std::cin, ::isatty(STDOUT_FILENO) == 1);
}
