// Copies "<prefix> 1" .. "<prefix> N" in quick succession, `gapMs` apart, serving
// every request meanwhile; then keeps the last text until another program takes the
// clipboard. Prints "done" after the last copy. A fifth argument "secret" marks every
// text as a password managers' secret.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "selection_owner.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: feeder COUNT PREFIX GAP_MS [secret]\n");
    return 2;
  }
  const int count = std::atoi(argv[1]);
  const std::string prefix = argv[2];
  const int gapMs = std::atoi(argv[3]);
  SelectionOwner owner;
  if (argc > 4 && std::string(argv[4]) == "secret") owner.MarkSecret();
  for (int i = 1; i <= count; ++i) {
    owner.Take(prefix + " " + std::to_string(i), SelectionOwner::Answer::Everything);
    owner.Serve(gapMs);
  }
  std::printf("done\n");
  std::fflush(stdout);
  owner.Serve(-1);
  return 0;
}
