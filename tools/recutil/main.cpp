// recutil: create, fill, inspect, dump and verify record files from the command line.
#include <iostream>

#include "tools/recutil/commands.h"

int main(int argc, char** argv) {
  return recutil::RecutilMain(argc, argv, {std::cin, std::cout, std::cerr});
}
