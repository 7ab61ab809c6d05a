#pragma once

#include <chrono>
#include <string>

namespace welcomer {

/// An exclusive lock that all runs of the program for one user share, held across processes.
class UserLock {
 public:
  virtual ~UserLock() = default;
  /// Waits at most `wait` for the lock. False, with the reason in plain words, when it could not
  /// be had in that time or not at all.
  virtual bool Acquire(std::chrono::milliseconds wait, std::string& reason) = 0;
  /// Gives the lock up; nothing when it is not held.
  virtual void Release() = 0;
};

/// Where the user's lock lives: welcomer.lock in $XDG_RUNTIME_DIR when that is an absolute
/// path to a folder of the user's own, else run.lock in the state folder (StateFolderPath).
std::string UserLockPath();

/// flock on a file that stays in place, so that the lock is gone with a process that dies
/// holding it.
class PosixUserLock : public UserLock {
 public:
  /// An empty `path` stands for UserLockPath(), looked up at each Acquire.
  explicit PosixUserLock(std::string path = std::string()) : path_(std::move(path)) {}
  ~PosixUserLock() override;
  PosixUserLock(const PosixUserLock&) = delete;
  PosixUserLock& operator=(const PosixUserLock&) = delete;

  bool Acquire(std::chrono::milliseconds wait, std::string& reason) override;
  void Release() override;

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace welcomer
