// A second process for the tests, so that two runs of one user, a run that is killed, or a run
// bound by file modes can be made from a test.
//   client_probe <prefix> [count]  adds <prefix>-0, <prefix>-1, ... to "L", printing each index
//                                  once stored; without end when no count is given
//   client_probe read              prints the code of a read and the number of values
//   client_probe codes             prints the codes of a read, an add and a read, 0 when it
//                                  knows the user, and the client's words for the last failure
//   client_probe restricted        the same as "nobody", when started as root

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
  const std::string mode = argv[1];
  if (mode == "restricted" && ::geteuid() == 0 &&
      (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
    return 3;
  ClientContext context;
  const std::string user = WhoAmI(context.handle());
  if (mode == "read") {
    const ReadOutcome read = ReadValues(context.handle(), user, "L");
    std::printf("%d %zu\n", read.result, read.values.size());
  } else if (mode == "codes" || mode == "restricted") {
    const int32_t read = ReadValues(context.handle(), user, "L").result;
    const int32_t add = AddText(context.handle(), user, "L", "x");
    char why[512] = "";
    NWDSLastFailureText(why);
    const int32_t again = ReadValues(context.handle(), user, "L").result;
    std::printf("%d %d %d %d %s\n", read, add, again, user.empty() ? -1 : 0, why);
  } else {
    const long count = argc == 3 ? std::atol(argv[2]) : -1;
    for (long i = 0; count < 0 || i < count; ++i) {
      if (AddText(context.handle(), user, "L", mode + "-" + std::to_string(i)) != 0)
        return 1;
      std::printf("%ld\n", i);
      std::fflush(stdout);
    }
  }
  return 0;
}
