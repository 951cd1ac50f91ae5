// Reads standard input in blocks of 4,096 bytes, as fieldsift does, and
// does nothing else: the least time any program reading that way can take.
#include <unistd.h>

int main() {
  static char block[4096];
  ssize_t n = 0;
  while ((n = read(0, block, sizeof block)) > 0) {
  }
  return n < 0 ? 2 : 0;
}
