#pragma once

#include <cstdint>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <string>

#include "client/ClientErrors.h"
#include "client/ClientState.h"

namespace welcomer::client {

/// Runs the body of an entry point under the client's lock. No exception may cross the C
/// interface: running out of memory becomes kNWErrNotEnoughMemory, anything else
/// kNWErrInvalidRequest.
template <typename Body>
int32_t Guarded(Body body) {
  try {
    std::lock_guard<std::mutex> lock(ClientState::Instance().mutex);
    return body(ClientState::Instance());
  } catch (const std::bad_alloc&) {
    return kNWErrNotEnoughMemory;
  } catch (...) {
    return kNWErrInvalidRequest;
  }
}

/// Takes a NUL-terminated text from a caller's buffer of `capacity` bytes without reading past
/// it. 0, kNWErrNullPointer, or `tooLong` when no terminator lies within the buffer.
inline int32_t CopyIn(const char* text, size_t capacity, std::string& out,
                      int32_t tooLong = kNWErrNameTooLong) {
  if (text == nullptr)
    return kNWErrNullPointer;
  const size_t length = ::strnlen(text, capacity);
  if (length == capacity)
    return tooLong;
  out.assign(text, length);
  return 0;
}

/// Writes `text` and its terminator into a caller's buffer of `capacity` bytes. When it does not
/// fit, the buffer gets an empty text and the result is kNWErrNameTooLong.
inline int32_t CopyOut(const std::string& text, char* out, size_t capacity) {
  if (out == nullptr)
    return kNWErrNullPointer;
  if (text.size() + 1 > capacity) {
    if (capacity > 0)
      out[0] = '\0';
    return kNWErrNameTooLong;
  }
  std::memcpy(out, text.c_str(), text.size() + 1);
  return 0;
}

}  // namespace welcomer::client
