// A second process for the tests, so that two runs of one user, or a run that is killed, can be
// made from a test.
//   client_probe add <prefix> <count>       adds <prefix>-0 .. <prefix>-<count-1> to "L"
//   client_probe add-until-killed <prefix>  the same without end, printing each index once stored

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/client/ClientCalls.h"

using namespace welcomer::testing;

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const bool endless = command == "add-until-killed" && argc == 3;
  if (!endless && !(command == "add" && argc == 4)) {
    std::fprintf(stderr, "usage: client_probe add <prefix> <count> | add-until-killed <prefix>\n");
    return 2;
  }
  ClientContext context;
  const std::string user = WhoAmI(context.handle());
  const long count = endless ? -1 : std::atol(argv[3]);
  for (long i = 0; endless || i < count; ++i) {
    const int32_t result =
        AddText(context.handle(), user, "L", argv[2] + ("-" + std::to_string(i)));
    if (result != 0) {
      std::fprintf(stderr, "add %ld failed: %d\n", i, result);
      return 1;
    }
    if (endless) {
      std::printf("%ld\n", i);
      std::fflush(stdout);
    }
  }
  return 0;
}
