// The program binds the client by file name from its library folder, as four libraries.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LibraryTest, TheFourNamesLeadToOneObject) {
  void* first = nullptr;
  for (const char* library :
       {"libnetwin32.so", "liblocwin32.so", "libcalwin32.so", "libclxwin32.so"}) {
    const std::string path = std::string(CLIENT_LIBRARY_FOLDER) + "/" + library;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << path << ": " << ::dlerror();
    void* read = ::dlsym(handle, "NWDSRead");
    ASSERT_NE(read, nullptr) << library;
    if (first == nullptr)
      first = read;
    EXPECT_EQ(read, first) << library << ": one client state behind every name";
  }
}

}  // namespace
