#pragma once
// What a rewritten file keeps of the old one, and who may write it.
#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace zorbel::file_detail {

// The process's umask, read without changing it.
mode_t currentUmask();

// A file the caller may not write is refused, for root too when no write bit
// is set; false with `err` set to the reason.
bool mayWrite(const std::string& target, const struct stat& st, int& err);

// Gives `to` what `from` (described by `st`) has: owner and group first
// (changing them clears set-id bits and capabilities), then the extended
// attributes (ACLs among them) exactly as the old file had them, then the
// mode. False (errno set) when any of it cannot be given.
bool keepAttributes(int from, int to, const struct stat& st);

}  // namespace zorbel::file_detail
