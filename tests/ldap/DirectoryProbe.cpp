// One run of a workstation against the directory, for the tests: performs the steps given as
// arguments through the client's C interface, in one process and so in one session, and prints
// one line per step (and after a failing step, "failure <text>" with the client's words for
// it), then the client's notices.
//   whoami             "whoami <code> <name>"
//   read               "read <code> <buffers>", then "value <text>" per value of "L"
//   add <text>         "add <code>"
//   remove <text>      "remove <code>"
//   wait <path>        waits up to ten seconds for the file to exist, printing nothing

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/client/ClientCalls.h"

using namespace welcomer::testing;

int main(int argc, char** argv) {
  ClientContext context;
  const std::string user = WhoAmI(context.handle());
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    const auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (step == "whoami") {
      char name[128] = {};
      const int32_t code = NWDSWhoAmI(context.handle(), name);
      std::printf("whoami %d %s\n", code, name);
    } else if (step == "read") {
      const ReadOutcome outcome = ReadValues(context.handle(), user, "L");
      std::printf("read %d %d\n", outcome.result, outcome.buffers);
      for (const std::string& value : outcome.values)
        std::printf("value %s\n", value.c_str());
    } else if (step == "add") {
      std::printf("add %d\n", AddText(context.handle(), user, "L", next()));
    } else if (step == "remove") {
      std::printf("remove %d\n", RemoveText(context.handle(), user, "L", next()));
    } else if (step == "wait") {
      const std::string path = next();
      for (int tries = 0; tries < 1000 && ::access(path.c_str(), F_OK) != 0; ++tries)
        ::usleep(10000);
    } else {
      std::fprintf(stderr, "unknown step %s\n", step.c_str());
      return 2;
    }
    char failure[512] = {};
    if (step != "wait" && NWDSLastFailureText(failure) == 0 && failure[0] != '\0')
      std::printf("failure %s\n", failure);
    std::fflush(stdout);
  }
  char notice[1024];
  while (NWWelcomerTakeNotice(notice, sizeof notice) == 0)
    std::printf("notice %s\n", notice);
  return 0;
}
