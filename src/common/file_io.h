#pragma once
// The small system-call pieces the whole-file reads and writes share: their
// errors, complete reads and writes, and opening a plain file without waiting.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "common/result.h"
#include "common/unique_fd.h"

namespace zorbel::file_detail {

inline constexpr const char* kNotRegular = "not a regular file";

// The system's text for errno value `err`.
std::string reasonOf(int err);
// Nothing was written (CannotWrite).
Error refused(std::string reason);
// A write failed part-way (WriteFailed).
Error failed(std::string reason);

// Writes all of `bytes` at `offset`; false with errno set when it cannot.
bool writeAllAt(int fd, std::string_view bytes, off_t offset);
// Reads exactly `size` bytes; a ShortRead when the file ends first or a read fails.
Result<std::string> readExactly(int fd, std::size_t size);

// The folder part of `path`: "." for a bare name, "/" for a name in the root.
std::string folderOf(const std::string& path);

// Opens a plain file for reading (CannotRead otherwise) without waiting for a
// writer or a carrier; `st` describes what was opened.
Result<void> openPlainFile(const std::string& path, UniqueFd& fd, struct stat& st);

}  // namespace zorbel::file_detail
