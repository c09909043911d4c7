// The one table from a failure's kind to zorbelctl's exit status.
#include "ctl.h"

namespace zorbel::ctl {

int exitStatus(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Range:
      return kExitRange;
    case ErrorKind::Conversion:
      return kExitConversion;
    case ErrorKind::Version:
      return kExitVersion;
    case ErrorKind::UnknownSetting:
    case ErrorKind::TooLong:  // a text its field would cut
      return kExitUsage;
    case ErrorKind::CannotRead:
    case ErrorKind::ShortRead:
    case ErrorKind::CannotWrite:
    case ErrorKind::WriteFailed:
    case ErrorKind::SameFile:
      return kExitFile;
    case ErrorKind::NoAnswer:
      return kExitNoAnswer;
    case ErrorKind::Checksum:
      return kExitChecksum;
    case ErrorKind::Mismatch:
      return kExitMismatch;
  }
  return kExitUsage;
}

int exitStatus(const Error& error) {
  // A file too long to be what it should is a file error; a setting's text
  // too long for its field is the user's to shorten.
  if (error.kind == ErrorKind::TooLong && !error.setting) return kExitFile;
  return exitStatus(error.kind);
}

}  // namespace zorbel::ctl
