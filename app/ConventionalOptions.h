#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace welcomer {

/// Answers `--help` (the usage text) and `--version` (name and version) the way command-line
/// tools do: on `out`, before and instead of the program's own argument handling. Only the
/// first argument is looked at, so that the same words later on stay what they always were,
/// file arguments. Returns the exit code when it answered, 0, or 1 when the answer could not
/// be written (a full disk, a closed pipe), which is then said on `err`; nothing otherwise.
std::optional<int> AnswerConventionalOption(const std::vector<std::string>& arguments,
                                            std::FILE* out, std::FILE* err);

/// The usage text as a terminal shows it: a line feed ends every line, and the mnemonic
/// markers are applied as the information box applies them ("&&" shows one "&").
std::string PlainUsageText();

/// "welcomer" and the version, one line.
std::string VersionText();

}  // namespace welcomer
