#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

// The C library's file as this process loaded it: an absolute path on any installation.
std::string CLibraryPath() {
  Dl_info info{};
  void* symbol = ::dlsym(RTLD_DEFAULT, "gnu_get_libc_version");
  if (symbol == nullptr || ::dladdr(symbol, &info) == 0 || info.dli_fname == nullptr)
    return std::string();
  return info.dli_fname;
}

TEST(LoadEntryPointTest, FindsTheEntryOrSaysWhyNot) {
  const std::string libc = CLibraryPath();
  ASSERT_FALSE(libc.empty());
  testing::TempDir dir;
  const std::string notALibrary = dir.WriteFile("module.so", "not a shared object");
  struct Row {
    std::string path;
    const char* entry;
    bool found;
    std::vector<std::string> reasonHolds;
  };
  const Row rows[] = {
      {libc, "gnu_get_libc_version", true, {}},
      {libc, "WelcomerCreateNothing", false, {libc + " has no entry point WelcomerCreateNothing"}},
      {dir / "missing.so", "x", false, {dir / "missing.so", "No such file"}},
      {notALibrary, "x", false, {notALibrary}},
      {"lib/welcomer/module.so", "x", false, {"not an absolute path: lib/welcomer/module.so"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path + " " + row.entry);
    std::string reason;
    void* entry = LoadEntryPoint(row.path, row.entry, reason);
    EXPECT_EQ(entry != nullptr, row.found);
    for (const std::string& part : row.reasonHolds)
      EXPECT_NE(reason.find(part), std::string::npos) << reason;
    if (row.found) {
      EXPECT_EQ(entry, ::dlsym(RTLD_DEFAULT, row.entry));
    }
  }
}

}  // namespace
}  // namespace welcomer
