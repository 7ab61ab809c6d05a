#pragma once

#include <ctime>
#include <string>

namespace welcomer::testing {

/// A fresh folder under the system's temporary folder, removed with everything in it when the
/// object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  /// path() + "/" + name.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  /// Writes `content` to `name` (folders must exist) and returns its full path.
  std::string WriteFile(const std::string& name, const std::string& content) const;
  /// Sets the last-write time of `name`.
  void SetModified(const std::string& name, std::time_t time) const;
  /// Makes the folder `name`; returns its full path.
  std::string MakeDir(const std::string& name) const;

 private:
  std::string path_;
};

/// Seconds since the epoch of a local date and time.
std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace welcomer::testing
