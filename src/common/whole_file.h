#pragma once
// Reading and writing whole files: the one place that decides how every file
// the programs write is written, and the one place that checks a file to be
// read is a plain file.
//
// A write is whole or nothing and keeps what the old file had:
// - a symbolic link is followed (to the end of a chain, a dangling one too):
//   the file it points to is written and the link stays a link;
// - a target the caller may not write is refused with the system's reason
//   (for root too: a file with no write bit at all is not written);
// - an output that is the same file as one of the inputs is refused;
// - a new file gets 0666 (or the caller's mode) less the umask; an existing one keeps its mode,
// owner,
//   group, ACLs and extended attributes, and every hard link sees the new content;
// - temporary files are 0600 in the target's folder and removed when the
//   program is stopped by SIGINT, SIGTERM or SIGHUP;
// - writers of one folder are serialised by an advisory lock on the folder,
//   held from reading the old file to the end of the write.
//
// How: the new content goes to a temporary file that gets the old file's
// owner, group, mode and extended attributes, is synced and renamed over the
// target, and the folder is synced. Where that cannot keep everything (the
// target has several hard links, the caller may not give a new file the old
// one's owner, group or attributes, or the folder takes no new file while the
// target itself may be written) the target is rewritten in place: a backup
// copy of the old content is synced beside it first where the folder allows,
// the signals are held while the target is rewritten and synced, and a write
// that fails part-way puts the old content back from memory; only if that too
// fails is the backup kept, and the error names it. A program killed outright
// (SIGKILL, power loss) during such a rewrite leaves the backup beside the
// target; in a folder that took no backup it can leave the target half
// written. A new file in a folder that takes none is refused with the reason
// "cannot create a temporary file in FOLDER: ...".
#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace zorbel {

// Errors carry no message of their own (the caller knows what the file is
// for and says so); their kind tells what happened and their reason why:
// CannotWrite (refused, nothing written), WriteFailed (failed part-way, the
// old file is whole), SameFile, TooLong, CannotRead, ShortRead.

struct WriteOptions {
  // Files the output must not be: their st_dev/st_ino are compared with the
  // target's before anything is written (an Error of kind SameFile).
  std::vector<std::string> inputs;
  // An old file longer than this is refused rather than read (TooLong).
  std::size_t oldLimit = std::size_t{64} << 20;
  // A new file's mode, less the umask; an old file keeps its own.
  mode_t newFileMode = 0666;
};

// The read-modify-write entry point: under the folder's lock, reads the old
// file (empty when there is none), asks `compose` for the new content and
// writes it.
Result<void> updateFile(const std::string& path,
                        const std::function<std::string(std::string_view old)>& compose,
                        const WriteOptions& options = {});

// Writes `bytes` as the whole new content of `path`.
Result<void> writeFile(const std::string& path, std::string_view bytes,
                       const WriteOptions& options = {});

// Reads a whole plain file to its end (a /proc file that reports size 0
// too), refusing one longer than `limit` (TooLong); a read that fails
// part-way is a ShortRead. A path that is no plain file (a folder, a device, a
// named pipe) is refused at once with the reason "not a regular file",
// without waiting for a writer.
Result<std::vector<unsigned char>> readWholeFile(const std::string& path, std::size_t limit);

// The same check without reading: ok when `path` is a plain file that opens
// for reading.
Result<void> checkReadable(const std::string& path);

// A log written while the program runs (zorbelctl's trace), not whole or
// nothing. It may not be a folder (EISDIR), a device or a named pipe ("not a
// regular file"), a file with no write bit (EACCES) or the same file as one
// of `inputs` (SameFile); each is a refusal before anything is created or
// changed, and nothing waits for the other end of a pipe.
Result<void> checkLogFile(const std::string& path, const std::vector<std::string>& inputs);

// Checks as checkLogFile, opens (creating it 0600), checks what was opened
// again, then empties it and makes it readable by its owner only: its bytes
// may hold passwords. Returns the descriptor, for the caller to close.
Result<int> openLogFile(const std::string& path, const std::vector<std::string>& inputs);

}  // namespace zorbel
