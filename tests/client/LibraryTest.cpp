// The program binds the client by file name from its library folder, as four libraries.

#include <dlfcn.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "tests/client/ClientFixture.h"

namespace welcomer::testing {
namespace {

// Every entry point the interface declares, read from the header the program compiles against.
std::vector<std::string> DeclaredEntryPoints() {
  std::ifstream header(CLIENT_ABI_HEADER);
  std::stringstream text;
  text << header.rdbuf();
  const std::string content = text.str();
  const std::regex declaration(R"(NWCLIENT_API\s+\w+\s+(NW\w+)\s*\()");
  std::vector<std::string> names;
  for (std::sregex_iterator it(content.begin(), content.end(), declaration), end; it != end; ++it)
    names.push_back((*it)[1]);
  return names;
}

TEST(LibraryTest, EachOfTheFourNamesGivesEveryEntryPointOfOneObject) {
  const std::vector<std::string> names = DeclaredEntryPoints();
  ASSERT_EQ(names.size(), 61u);
  void* first = nullptr;
  for (const char* library :
       {"libnetwin32.so", "liblocwin32.so", "libcalwin32.so", "libclxwin32.so"}) {
    const std::string path = std::string(CLIENT_LIBRARY_FOLDER) + "/" + library;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << path << ": " << ::dlerror();
    for (const std::string& name : names)
      EXPECT_NE(::dlsym(handle, name.c_str()), nullptr) << library << " lacks " << name;
    if (first == nullptr)
      first = handle;
    EXPECT_EQ(::dlsym(handle, "NWDSRead"), ::dlsym(first, "NWDSRead"))
        << "one client state behind every name";
  }
}

}  // namespace
}  // namespace welcomer::testing
