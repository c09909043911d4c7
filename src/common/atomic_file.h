#pragma once
// Files the program writes are written whole or not at all.
#include <cstddef>
#include <string>
#include <vector>

namespace zorbel {

// Writes `size` bytes to `path` through a temporary file in the same folder,
// flushed and renamed over the target. On failure the target is exactly as it
// was and `error` holds the operating system's reason.
bool writeFileAtomically(const std::string& path, const void* bytes, std::size_t size, std::string& error);

enum class ReadStatus { Ok, CannotOpen, ShortRead, TooLong };

// Reads a whole file as raw bytes, refusing files longer than `limit`.
// `error` holds the operating system's reason when there is one.
ReadStatus readWholeFile(const std::string& path, std::size_t limit, std::vector<unsigned char>& out,
                         std::string& error);

}  // namespace zorbel
