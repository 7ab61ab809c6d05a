// A second process for the tests: it drives the client through its C interface, so that two
// runs of one user, or a run that is killed, can be made from a test.
//
//   client_probe add <prefix> <count>   adds <prefix>-0 .. <prefix>-<count-1> to "L", one change
//   each client_probe add-until-killed <prefix>  the same without end, printing each index once
//   stored client_probe read                   prints every value of "L", one a line

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/client/ClientCalls.h"

using namespace welcomer::testing;

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  ClientContext context;
  const std::string user = WhoAmI(context.handle());
  if (user.empty()) {
    std::fprintf(stderr, "no user\n");
    return 2;
  }
  if (command == "read") {
    ReadOutcome outcome = ReadTexts(context.handle(), user, "L");
    for (const std::string& value : outcome.values)
      std::printf("%s\n", value.c_str());
    if (outcome.result != 0 && outcome.result != kNWErrNoSuchAttribute) {
      std::fprintf(stderr, "read failed: %d\n", outcome.result);
      return 1;
    }
    return 0;
  }
  if ((command == "add" && argc == 4) || (command == "add-until-killed" && argc == 3)) {
    const bool endless = command == "add-until-killed";
    const long count = endless ? -1 : std::atol(argv[3]);
    for (long i = 0; endless || i < count; ++i) {
      int32_t result = AddText(context.handle(), user, "L", argv[2] + ("-" + std::to_string(i)));
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
  std::fprintf(stderr,
               "usage: client_probe add <prefix> <count> | add-until-killed <prefix> | read\n");
  return 2;
}
