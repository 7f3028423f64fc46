#include "card_file_generator.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: card_file_generate OUT [CARDS]\n");
    return 2;
  }
  const int cards = argc > 2 ? std::atoi(argv[2]) : 100000;
  return WriteGeneratedCardFile(QString::fromLocal8Bit(argv[1]), cards) ? 0 : 1;
}
