#pragma once
// The serial ports present and what each is: /dev/ttyUSB*, /dev/ttyACM*, and
// the /dev/ttyS* with a UART behind them, with the facts sysfs gives about
// each (driver, USB vendor:product and serial number, /dev/serial/by-id name)
// and whether this user may take it now.
#include <string>
#include <vector>

#include "system_view.h"

namespace zorbel::link {

enum class PortAccess { Ready, NoPermission, InUse, Missing };

struct PortInfo {
  std::string path;    // "/dev/ttyUSB0" as typed or found
  std::string device;  // the node it names: "/dev/ttyUSB0", "/dev/pts/3"
  std::string driver;  // "ftdi_sio", "cdc_acm", "serial8250"; may be empty
  std::string vendorId, productId, serial, product;  // USB facts; may be empty
  std::string byId;  // "/dev/serial/by-id/usb-FTDI_..."; may be empty
  PortAccess access = PortAccess::Missing;
  std::vector<Process> holders;  // who has it open (when access is InUse)
  int lockOwner = 0;             // a living process named by a UUCP lock file

  // "ftdi_sio 0403:6001 serial A12345 (usb-FTDI_...)".
  std::string description() const;
  // "ready", "no permission", "in use by minicom (pid 42)", "missing".
  std::string state() const;
};

// The ports present, in a stable order (ttyACM, ttyS, ttyUSB; by number).
std::vector<PortInfo> presentPorts(const SystemView& view);
// The facts about one path: a port of the list, a by-id link, a pseudo-terminal.
PortInfo describePort(const SystemView& view, const std::string& path);

// The UUCP lock files that name `device`: /run/lock/LCK..NAME, /var/lock/LCK..NAME.
struct LockFile {
  std::string path;
  int pid = 0;  // 0 when the file names none
  bool lives = false;
};
std::vector<LockFile> lockFilesFor(const SystemView& view, const std::string& device);

// The name the port box offers for a present port: COM1..COM9 for
// /dev/ttyS0../dev/ttyS8, a USB port's /dev/serial/by-id name, else its path.
std::string offeredName(const PortInfo& port);

// Whether the user may open a node of this owner and mode, root aside.
bool mayOpen(const SystemView& view, uid_t owner, gid_t group, unsigned mode);

}  // namespace zorbel::link
