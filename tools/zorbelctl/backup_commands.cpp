// Backups from the command line: what write, read and compare read from the
// device is kept (backup/backup_store.h), and history lists it.
#include <iostream>

#include "backup/backup_history.h"
#include "backup/backup_store.h"
#include "ctl.h"

namespace zorbel::ctl {

namespace {

backup::BackupStore storeFor(const Options& options) {
  return backup::BackupStore(options.backupDir.empty() ? backup::defaultFolder()
                                                       : options.backupDir);
}

std::string keepFailure(const backup::BackupStore& store, const Error& error) {
  return "cannot keep a backup in " + store.folder() + ": " + error.reason;
}

}  // namespace

std::string backupFailureMessage(const std::string& reason) {
  return "The device's configuration could not be backed up (" + reason +
         "); nothing was written. Write without a backup with --no-backup.";
}

BackupKeeper backupKeeper(const Options& options, std::ostream& log) {
  return [store = storeFor(options), &log](const settings::Image& image) mutable {
    const auto kept = store.keep(image);
    if (!kept) return keepFailure(store, kept.error());
    log << "Backup: " << kept.value().file << std::endl;
    return std::string();
  };
}

bool keepRead(const Options& options, const settings::Image& image, std::ostream& log) {
  if (!options.backup) return true;
  const std::string failure = backupKeeper(options, log)(image);
  if (failure.empty()) return true;
  std::cout.flush();
  std::cerr << "zorbelctl: " << failure << "\n";
  return false;
}

int cmdHistory(Context& ctx, const Args&) {
  const backup::BackupStore store = storeFor(ctx.options);
  const auto entries = backup::history(store);
  if (!entries) {
    std::cerr << "zorbelctl: cannot read " << store.folder() << ": " << entries.error().reason
              << "\n";
    return exitStatus(entries.error());
  }
  for (const auto& e : entries.value()) {
    std::cout << backup::displayTime(e.backup.time) << '\t' << e.backup.station << '\t'
              << e.backup.file << '\t' << backup::againstText(e) << '\n';
  }
  std::cout.flush();
  return std::cout ? kExitOk : exitStatus(ErrorKind::WriteFailed);
}

}  // namespace zorbel::ctl
