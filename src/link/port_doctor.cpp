#include "port_doctor.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "port_survey.h"

namespace zorbel::link {

namespace {

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

std::string noSuchDevice(const SystemView& view, const std::string& path) {
  std::vector<std::string> present;
  for (const PortInfo& port : presentPorts(view))
    present.push_back(port.byId.empty() ? port.path : port.path + " (" + port.byId + ")");
  if (present.empty())
    return "No such device: " + path +
           ". No serial port is present: plug the device in; with a USB adapter use a cable that "
           "carries data (a charge-only cable shows nothing).";
  return "No such device: " + path + ". Ports present: " + joined(present) + ".";
}

std::string permissionDenied(const SystemView& view, const std::string& path) {
  struct stat st {};
  if (::stat(view.at(path).c_str(), &st) != 0) return {};
  const auto group = groupById(view, st.st_gid);
  const std::string name = group ? group->name : std::to_string(st.st_gid);
  const std::string fix = "sudo usermod -aG " + name + " $USER, then log out and in again.";
  const bool inSession = std::find(view.sessionGroups.begin(), view.sessionGroups.end(),
                                   st.st_gid) != view.sessionGroups.end();
  const bool listed = group && (std::find(group->members.begin(), group->members.end(),
                                          view.userName) != group->members.end() ||
                                primaryGroupOf(view, view.userName) == st.st_gid);
  const std::string owner = path + " belongs to group " + name + ".";
  if (inSession)
    return owner + " You are in group " + name + ", but the device does not let the group " +
           "read and write it: ask your administrator.";
  if (listed)
    return owner + " You (" + view.userName + ") are in group " + name +
           " in /etc/group, but this session was started before that: log out and in again.";
  return owner + " You (" + view.userName + ") are not in group " + name + ". Fix: " + fix;
}

std::string inUse(const SystemView& view, const std::string& path) {
  const PortInfo port = describePort(view, path);
  std::vector<std::string> lines;
  std::vector<std::string> holders;
  for (const Process& p : port.holders)
    if (p.pid != port.lockOwner || port.lockOwner == 0)
      holders.push_back(p.program + " (pid " + std::to_string(p.pid) + ")");
  if (!holders.empty())
    lines.push_back(path + " is open in " + joined(holders) + ": close it there and try again.");
  for (const LockFile& lock : lockFilesFor(view, port.device)) {
    if (lock.pid == 0) {
      lines.push_back("Lock file " + lock.path + " names no process: remove it.");
    } else if (lock.lives) {
      lines.push_back("Lock file " + lock.path + " belongs to " + programOf(view, lock.pid) +
                      " (pid " + std::to_string(lock.pid) + "), which is running.");
    } else {
      lines.push_back("Lock file " + lock.path + " belongs to pid " + std::to_string(lock.pid) +
                      ", which is no longer running: remove it.");
    }
  }
  if (lines.empty()) return "Another program holds the port: close it there and try again.";
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// USB serial adapters brltty takes for braille displays: CH340/CH341, CP210x, FTDI.
bool brlttyClaims(const std::string& vendorId) {
  return vendorId == "1a86" || vendorId == "10c4" || vendorId == "0403";
}

// The adapters plugged in that brltty would claim, from the USB devices in sysfs
// (an adapter brltty has taken has no tty left to look at).
bool claimableAdapterPresent(const SystemView& view, const PortInfo& port) {
  if (brlttyClaims(port.vendorId)) return true;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(view.at("/sys/bus/usb/devices"), ec)) {
    const std::string dir = "/sys/bus/usb/devices/" + entry.path().filename().string();
    if (const auto vendor = view.firstLine(dir + "/idVendor"); vendor && brlttyClaims(*vendor))
      return true;
  }
  return false;
}

std::string brltty(const SystemView& view, const PortInfo& port) {
  if (!isRunning(view, "brltty") || !claimableAdapterPresent(view, port)) return {};
  return "brltty is running and takes CH340, CP210x and FTDI adapters for braille displays. "
         "Without a braille display remove it (sudo apt remove brltty); with one, mask its udev "
         "rule (sudo ln -s /dev/null /etc/udev/rules.d/85-brltty.rules) and plug the adapter in "
         "again.";
}

std::string modemManager(const SystemView& view, const PortInfo& port) {
  if (port.device.rfind("/dev/ttyACM", 0) != 0 || !isRunning(view, "ModemManager")) return {};
  const std::string vendor = port.vendorId.empty() ? "VVVV" : port.vendorId;
  const std::string product = port.productId.empty() ? "PPPP" : port.productId;
  return "ModemManager is running and probes new ttyACM ports. Make it leave this one alone: "
         "put the line\n  ATTRS{idVendor}==\"" +
         vendor + "\", ATTRS{idProduct}==\"" + product +
         "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\ninto /etc/udev/rules.d/99-zorbel.rules, run "
         "sudo udevadm control --reload, and plug the device in again.";
}

}  // namespace

std::string diagnosePort(const SystemView& view, const std::string& path, int openError) {
  std::vector<std::string> findings;
  const PortInfo port = describePort(view, path);
  if (port.access == PortAccess::Missing || openError == ENOENT || openError == ENODEV ||
      openError == ENXIO)
    findings.push_back(noSuchDevice(view, path));
  else if (openError == EACCES || openError == EPERM)
    findings.push_back(permissionDenied(view, path));
  else if (openError == EBUSY || openError == EWOULDBLOCK)
    findings.push_back(inUse(view, path));
  findings.push_back(brltty(view, port));
  findings.push_back(modemManager(view, port));
  std::string text;
  for (const std::string& finding : findings)
    if (!finding.empty()) text += (text.empty() ? "" : "\n") + finding;
  return text;
}

}  // namespace zorbel::link
