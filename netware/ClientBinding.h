#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/ClientLibrary.h"

namespace welcomer {

/// Looks `name` up in `module` while `slot` is still empty and keeps what it finds. True when the
/// slot holds an entry point afterwards. A null module never yields one.
template <typename Fn>
bool BindEntryPoint(void* module, const char* name, Fn& slot) {
  if (slot == nullptr && module != nullptr)
    slot = reinterpret_cast<Fn>(CurrentClientLibraryLoader().Find(module, name));
  return slot != nullptr;
}

/// Looks `name` up in `module` without keeping it, for the entry points that are asked for afresh
/// on every use. Null when missing.
template <typename Fn>
Fn LookUpEntryPoint(void* module, const char* name) {
  if (module == nullptr)
    return nullptr;
  return reinterpret_cast<Fn>(CurrentClientLibraryLoader().Find(module, name));
}

/// `code` in upper-case hexadecimal, at least four digits: 0 gives "0000", 65535 "FFFF", and a
/// negative code its eight-digit two's complement ("FFFFFFFF" for -1).
std::string ErrorCodeText(int32_t code);

/// An object ID in upper-case hexadecimal without leading zeros: 0x0001A2B3 gives "1A2B3", 0
/// gives "0".
std::string IdText(uint32_t id);

/// Copies `text` with its terminator into `buffer`. False, with the buffer holding the empty
/// text, when it does not fit: names are refused rather than cut, because a cut name would name
/// another object.
template <size_t N>
bool CopyToBuffer(const std::string& text, char (&buffer)[N]) {
  static_assert(N > 0);
  if (text.size() >= N) {
    buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

/// The text a client left in `buffer`, up to its terminator but never past the buffer's end.
template <size_t N>
std::string TextOf(const char (&buffer)[N]) {
  return std::string(buffer, strnlen(buffer, N));
}

}  // namespace welcomer
