// quorlin_vector_path: prints the processor's name and the vector path the
// engine takes on it, for bench/compare to print beside its figures.
#include <cstdio>

#include "bench/machine_report.h"

int main() {
  std::printf("%s; engine vector path %s\n", processorName().c_str(), vectorPathReport().c_str());
  return 0;
}
