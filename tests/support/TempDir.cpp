#include "tests/support/TempDir.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace welcomer::testing {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/welcomer-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::WriteFile(const std::string& name, const std::string& content) const {
  const std::string full = *this / name;
  std::ofstream(full, std::ios::binary) << content;
  return full;
}

void TempDir::SetModified(const std::string& name, std::time_t time) const {
  const struct timeval times[2] = {{time, 0}, {time, 0}};
  if (::utimes((*this / name).c_str(), times) != 0)
    throw std::runtime_error("utimes failed");
}

std::string TempDir::MakeDir(const std::string& name) const {
  const std::string full = *this / name;
  ::mkdir(full.c_str(), 0700);
  return full;
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  struct tm local {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return ::mktime(&local);
}

}  // namespace welcomer::testing
