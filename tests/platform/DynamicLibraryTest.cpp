#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/support/TempDir.h"

namespace welcomer {
namespace {

TEST(LoadEntryPointTest, FindsTheEntryOrSaysWhyNot) {
  // The C library's file as this process loaded it: an absolute path on any installation.
  Dl_info info{};
  ASSERT_NE(::dladdr(::dlsym(RTLD_DEFAULT, "gnu_get_libc_version"), &info), 0);
  const std::string libc = info.dli_fname;
  testing::TempDir dir;
  // Path, entry point, whether it is found, and what the reason must hold when it is not.
  const std::tuple<std::string, const char*, bool, std::vector<std::string>> rows[] = {
      {libc, "gnu_get_libc_version", true, {}},
      {libc, "WelcomerCreateNothing", false, {libc + " has no entry point WelcomerCreateNothing"}},
      {dir / "missing.so", "x", false, {dir / "missing.so", "No such file"}},
      {"lib/welcomer/module.so", "x", false, {"not an absolute path: lib/welcomer/module.so"}},
  };
  for (const auto& [path, name, found, reasonHolds] : rows) {
    std::string reason;
    EXPECT_EQ(LoadEntryPoint(path, name, reason), found ? ::dlsym(RTLD_DEFAULT, name) : nullptr)
        << path;
    for (const std::string& part : reasonHolds)
      EXPECT_NE(reason.find(part), std::string::npos) << reason;
  }
}

}  // namespace
}  // namespace welcomer
