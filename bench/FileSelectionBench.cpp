// How start-up scales with the number of message files and stored records: a folder of N files
// searched with "/@", then compared against N stored records, as at every login.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/FileSelection.h"
#include "app/NoNetWareClient.h"
#include "app/StateStore.h"
#include "platform/AsciiText.h"

namespace welcomer {
namespace {

// One folder of `count` files per size, made once and removed at exit.
struct Fixture {
  std::string folder;
  StringList stored;
  ~Fixture() { std::filesystem::remove_all(folder); }
};

Fixture& FixtureFor(int count) {
  static std::map<int, std::unique_ptr<Fixture>> fixtures;
  auto& fixture = fixtures[count];
  if (fixture)
    return *fixture;
  fixture = std::make_unique<Fixture>();
  char pattern[] = "/tmp/welcomer-bench-XXXXXX";
  fixture->folder = ::mkdtemp(pattern);
  PosixFileSearcher searcher;
  for (int i = 0; i < count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "/message_%06d.txt", i);
    std::FILE* file = std::fopen((fixture->folder + name).c_str(), "w");
    std::fputs("A message of the day.\n", file);
    std::fclose(file);
  }
  // Every file acknowledged once, in the order of an earlier login; every tenth changed since.
  StringList display;
  SelectBySearchPath(UpperCaseAscii(fixture->folder), display, false, searcher);
  for (size_t i = 0; i < display.Count(); ++i) {
    std::string record = std::string(kFileRecordPrefix) + display[i];
    if (i % 10 == 0)
      record += "0";
    fixture->stored.Add(std::move(record));
  }
  return *fixture;
}

void BM_SelectAndDetectChanges(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Fixture& fixture = FixtureFor(count);
  PosixFileSearcher searcher;
  NoNetWareClient client;
  const std::string searchPath = UpperCaseAscii(fixture.folder);
  size_t shown = 0;
  for (auto _ : state) {
    StringList display;
    SelectBySearchPath(searchPath, display, false, searcher);
    DetectChanges(display, fixture.stored, false, &client);
    shown = display.Count();
    benchmark::DoNotOptimize(shown);
  }
  state.counters["files"] = count;
  state.counters["shown"] = static_cast<double>(shown);
  state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_SelectAndDetectChanges)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace welcomer

BENCHMARK_MAIN();
