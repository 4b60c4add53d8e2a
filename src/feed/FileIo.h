#pragma once
// Whole-file reading and writing.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace feed {

// The bytes of a file, or nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Writes the bytes to a temporary file beside the target and renames it over
// the target, so the target is either the old file or the whole new one.
// False on any failure, with the old file untouched. A symbolic link is
// followed to the file it names; a device or pipe is written to directly.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for content made piece by piece: `produce` hands each piece to the
// sink it is given.
using ByteSink = std::function<void(std::string_view)>;
bool WriteFileAtomically(const std::string& path, const std::function<void(const ByteSink&)>& produce);

}  // namespace feed
