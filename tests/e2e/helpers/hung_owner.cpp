// Takes the clipboard and never gives its text: with "silent" it answers no request at
// all, with "targets" it lists its targets but never sends the text. Prints "owning"
// once it owns the clipboard; ends when another program takes it.
#include <cstdio>
#include <cstring>

#include "selection_owner.h"

int main(int argc, char** argv) {
  const bool bTargets = argc > 1 && std::strcmp(argv[1], "targets") == 0;
  SelectionOwner owner;
  owner.Take("never delivered",
             bTargets ? SelectionOwner::Answer::TargetsOnly : SelectionOwner::Answer::Nothing);
  std::printf("owning\n");
  std::fflush(stdout);
  owner.Serve(-1);
  return 0;
}
