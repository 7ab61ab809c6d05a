// The print service against a private CUPS server on a local socket.

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cups/cups.h>

#include <chrono>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "platform/AsciiText.h"
#include "tests/support/TempDir.h"
#include "ui/CupsPrinting.h"

namespace welcomer {
namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";

class PrivateCups : public ::testing::Test {
 protected:
  // Starts a server whose one queue, "out", is the default; `accepting` false makes it refuse
  // every job. Without a queue there is no default destination.
  void Start(bool withQueue, bool accepting = true) {
    if (::access(kCupsd, X_OK) != 0)
      GTEST_SKIP() << "no " << kCupsd;
    for (const char* folder : {"etc", "etc/ppd", "spool", "tmp", "cache", "state", "log"})
      dir.MakeDir(folder);
    ::chmod((dir / "tmp").c_str(), 01777);
    socket_ = dir / "cups.sock";
    dir.WriteFile("etc/cupsd.conf", "Listen " + socket_ +
                                        "\nWebInterface No\nBrowsing No\n"
                                        "<Location />\n  Order allow,deny\n  Allow all\n"
                                        "</Location>\n");
    dir.WriteFile("etc/cups-files.conf",
                  "ServerRoot " + (dir / "etc") + "\nRequestRoot " + (dir / "spool") +
                      "\nTempDir " + (dir / "tmp") + "\nCacheDir " + (dir / "cache") +
                      "\nStateDir " + (dir / "state") + "\nAccessLog " + (dir / "log/access") +
                      "\nErrorLog " + (dir / "log/error") + "\nPageLog " + (dir / "log/page") +
                      "\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\nFileDevice Yes\n");
    dir.WriteFile("etc/printers.conf",
                  withQueue
                      ? "<DefaultPrinter out>\nDeviceURI file:///dev/null\nState Idle\n"
                        "Accepting " +
                            std::string(accepting ? "Yes" : "No") + "\nShared No\n</Printer>\n"
                      : "");
    const std::string config = dir / "etc/cupsd.conf";
    const std::string files = dir / "etc/cups-files.conf";
    const char* argv[] = {kCupsd, "-f", "-c", config.c_str(), "-s", files.c_str(), nullptr};
    ASSERT_EQ(::posix_spawn(&server_, kCupsd, nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    for (int i = 0; i < 200 && !Answers(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(Answers()) << "the private CUPS server did not start";
    cupsSetServer(socket_.c_str());
  }

  void TearDown() override {
    cupsSetServer(nullptr);
    if (server_ > 0) {
      ::kill(server_, SIGTERM);
      ::waitpid(server_, nullptr, 0);
    }
  }

  testing::TempDir dir;

 private:
  bool Answers() const {
    struct stat st;
    return ::stat(socket_.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
  }

  std::string socket_;
  pid_t server_ = -1;
};

TEST_F(PrivateCups, FileGoesToTheDefaultDestinationAsItIs) {
  Start(true);
  const std::string file = dir.WriteFile("Notice.txt", "print me\n");
  CupsFilePrintService service;
  EXPECT_TRUE(service.PrintFile(UpperCaseAscii(file)));
  // The job carries the file's own name, as it is on disk.
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "out", 0, CUPS_WHICHJOBS_ALL);
  const std::string title = count == 1 ? jobs[0].title : "";
  cupsFreeJobs(count, jobs);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(title, "Notice.txt");
}

TEST_F(PrivateCups, RefusedJobIsNotAccepted) {
  Start(true, false);
  CupsFilePrintService service;
  EXPECT_FALSE(service.PrintFile(dir.WriteFile("a.txt", "x")));
}

TEST_F(PrivateCups, WithoutADefaultDestinationNothingIsPrinted) {
  Start(false);
  CupsFilePrintService service;
  EXPECT_FALSE(service.PrintFile(dir.WriteFile("a.txt", "x")));
}

}  // namespace
}  // namespace welcomer
