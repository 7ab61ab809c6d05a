// A second process for the tests, so that two runs of one user, a run that is killed, or a run
// bound by file modes can be made from a test. It prints its process ID first.
//   client_probe <prefix> [count]  adds <prefix>-0, <prefix>-1, ... to "L", printing each index
//                                  once stored; without end when no count is given
//   client_probe restricted        as root, becomes "nobody"; prints the codes of a read and an
//                                  add, and 0 when it still knows the user
//   client_probe codes             the same without becoming anyone else
//   client_probe read              prints the code of a read and the number of values

#include <grp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/client/ClientCalls.h"

using namespace welcomer::testing;

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3)
    return 2;
  std::printf("%d\n", static_cast<int>(::getpid()));
  std::fflush(stdout);
  const bool restricted = argc == 2 && std::string(argv[1]) == "restricted";
  const bool codes = restricted || (argc == 2 && std::string(argv[1]) == "codes");
  if (restricted && ::geteuid() == 0 &&
      (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
    return 3;
  ClientContext context;
  const std::string user = WhoAmI(context.handle());
  if (argc == 2 && std::string(argv[1]) == "read") {
    const ReadOutcome read = ReadValues(context.handle(), user, "L");
    std::printf("%d %zu\n", read.result, read.values.size());
    return 0;
  }
  if (codes) {
    std::printf("%d %d %d\n", ReadValues(context.handle(), user, "L").result,
                AddText(context.handle(), user, "L", "x"), user.empty() ? -1 : 0);
    return 0;
  }
  const long count = argc == 3 ? std::atol(argv[2]) : -1;
  for (long i = 0; count < 0 || i < count; ++i) {
    if (const int32_t result =
            AddText(context.handle(), user, "L", argv[1] + ("-" + std::to_string(i)));
        result != 0) {
      std::fprintf(stderr, "add %ld failed: %d\n", i, result);
      return 1;
    }
    std::printf("%ld\n", i);
    std::fflush(stdout);
  }
  return 0;
}
