// The port list and the port doctor against a fake system tree: every
// diagnosis from what the tree shows, without hardware.
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "link/port_doctor.h"
#include "link/port_survey.h"
#include "link/port_watch.h"
#include "support/temp_dir.h"

namespace zorbel::link {
namespace {

namespace fs = std::filesystem;

class FakeSystem : public ::testing::Test {
 protected:
  FakeSystem() {
    view.root = fs::canonical(dir.path()).string();
    view.userName = "alice";
  }
  void put(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(dir.path() + path).parent_path());
    test::writeFile(dir.path() + path, text);
  }
  void link(const std::string& path, const std::string& target) {
    fs::create_directories(fs::path(dir.path() + path).parent_path());
    fs::create_symlink(target, dir.path() + path);
  }
  // A USB serial adapter as sysfs shows it, its node and its by-id link.
  void usbAdapter(const std::string& name, const std::string& vendor, const std::string& product,
                  const std::string& driver) {
    const std::string usb = "/sys/devices/pci0/usb1/1-" + name;
    put(usb + "/idVendor", vendor + "\n");
    put(usb + "/idProduct", product + "\n");
    put(usb + "/serial", "SN-" + name + "\n");
    put(usb + "/1.0/" + name + "/uevent", "");
    link(usb + "/1.0/" + name + "/driver", dir.path() + "/sys/bus/usb-serial/drivers/" + driver);
    link("/sys/class/tty/" + name + "/device", dir.path() + usb + "/1.0/" + name);
    link("/sys/bus/usb/devices/1-" + name, dir.path() + usb);
    put("/dev/" + name, "");
    link("/dev/serial/by-id/usb-" + vendor + "_" + name, "../../" + name);
  }
  // A process with `device` open as its fd 3.
  void process(int pid, const std::string& program, const std::string& device = {}) {
    put("/proc/" + std::to_string(pid) + "/comm", program + "\n");
    if (!device.empty()) link("/proc/" + std::to_string(pid) + "/fd/3", device);
  }
  // The node's group, as the fake /etc/group names it, with `members`.
  void nodeGroup(const std::string& device, const std::string& members) {
    struct stat st {};
    ASSERT_EQ(::stat((dir.path() + device).c_str(), &st), 0);
    fs::permissions(dir.path() + device, fs::perms(0660));
    put("/etc/group", "dialout:x:" + std::to_string(st.st_gid) + ":" + members + "\n");
    put("/etc/passwd", "alice:x:" + std::to_string(st.st_uid + 1) + ":4242::/home/alice:/bin/sh\n");
    view.uid = st.st_uid + 1;  // neither root nor the owner
  }
  std::string diagnose(const std::string& path, int error) {
    return diagnosePort(view, path, error);
  }

  test::TempDir dir;
  SystemView view;
};

TEST_F(FakeSystem, ListsUsbAndAcmPortsAndOnlyTheSerialPortsWithAUart) {
  usbAdapter("ttyUSB10", "0403", "6001", "ftdi_sio");
  usbAdapter("ttyUSB2", "1a86", "7523", "ch341-uart");
  usbAdapter("ttyACM0", "2341", "0043", "cdc_acm");
  put("/dev/ttyS0", "");
  put("/sys/class/tty/ttyS0/device/uevent", "");
  put("/sys/class/tty/ttyS0/type", "4\n");
  put("/dev/ttyS1", "");  // registered, but no UART answered
  put("/sys/class/tty/ttyS1/device/uevent", "");
  put("/sys/class/tty/ttyS1/type", "0\n");
  put("/dev/ttyS2", "");  // no device behind it at all
  put("/dev/tty0", "");

  std::string listed;
  for (const PortInfo& port : presentPorts(view)) listed += port.path + " ";
  EXPECT_EQ(listed, "/dev/ttyACM0 /dev/ttyS0 /dev/ttyUSB2 /dev/ttyUSB10 ");
  std::string offered;
  for (const PortInfo& port : presentPorts(view)) offered += offeredName(port) + " ";
  EXPECT_EQ(offered,
            "/dev/serial/by-id/usb-2341_ttyACM0 COM1 /dev/serial/by-id/usb-1a86_ttyUSB2 "
            "/dev/serial/by-id/usb-0403_ttyUSB10 ");

  const PortInfo ftdi = describePort(view, "/dev/serial/by-id/usb-0403_ttyUSB10");
  EXPECT_EQ(ftdi.device, "/dev/ttyUSB10");
  EXPECT_EQ(ftdi.description(),
            "ftdi_sio 0403:6001 serial SN-ttyUSB10 (/dev/serial/by-id/usb-0403_ttyUSB10)");
  EXPECT_EQ(ftdi.state(), "ready");
}

TEST_F(FakeSystem, NoSuchDeviceNamesThePortsThatExist) {
  usbAdapter("ttyUSB1", "0403", "6001", "ftdi_sio");
  EXPECT_EQ(diagnose("/dev/ttyUSB0", ENOENT),
            "No such device: /dev/ttyUSB0. Ports present: /dev/ttyUSB1 "
            "(/dev/serial/by-id/usb-0403_ttyUSB1).");
}

TEST_F(FakeSystem, NoSuchDeviceWithNoPortAtAllSuspectsTheCable) {
  EXPECT_NE(diagnose("/dev/ttyUSB0", ENOENT).find("charge-only cable"), std::string::npos);
}

TEST_F(FakeSystem, PermissionDeniedOutsideTheGroupGivesTheUsermodFix) {
  usbAdapter("ttyUSB0", "0403", "6001", "ftdi_sio");
  nodeGroup("/dev/ttyUSB0", "bob");
  EXPECT_EQ(describePort(view, "/dev/ttyUSB0").state(), "no permission");
  EXPECT_EQ(diagnose("/dev/ttyUSB0", EACCES),
            "/dev/ttyUSB0 belongs to group dialout. You (alice) are not in group dialout. Fix: "
            "sudo usermod -aG dialout $USER, then log out and in again.");
}

TEST_F(FakeSystem, PermissionDeniedInTheGroupButNotInThisSessionSaysLogInAgain) {
  usbAdapter("ttyUSB0", "0403", "6001", "ftdi_sio");
  nodeGroup("/dev/ttyUSB0", "bob,alice");
  EXPECT_EQ(diagnose("/dev/ttyUSB0", EACCES),
            "/dev/ttyUSB0 belongs to group dialout. You (alice) are in group dialout in "
            "/etc/group, but this session was started before that: log out and in again.");
}

TEST_F(FakeSystem, InUseNamesTheProgramAndEachLockFileWithWhetherItsOwnerLives) {
  usbAdapter("ttyUSB0", "0403", "6001", "ftdi_sio");
  process(321, "mini\x1b[2Jcom", "/dev/ttyUSB0");  // a name that must not reach a terminal raw
  process(77, "cu");
  put("/run/lock/LCK..ttyUSB0", "        77\n");
  put("/var/lock/LCK..ttyUSB0", "      9999\n");  // its owner has gone
  EXPECT_EQ(describePort(view, "/dev/ttyUSB0").state(), "in use by mini\\x1B[2Jcom (pid 321)");
  EXPECT_EQ(diagnose("/dev/ttyUSB0", EBUSY),
            "/dev/ttyUSB0 is open in mini\\x1B[2Jcom (pid 321): close it there and try again.\n"
            "Lock file /run/lock/LCK..ttyUSB0 belongs to cu (pid 77), which is running.\n"
            "Lock file /var/lock/LCK..ttyUSB0 belongs to pid 9999, which is no longer running: "
            "remove it.");
}

TEST_F(FakeSystem, BrlttyWithAClaimedAdapterGivesBothFixes) {
  usbAdapter("ttyUSB3", "1a86", "7523", "ch341-uart");
  fs::remove(dir.path() + "/dev/ttyUSB3");  // brltty took the interface: the node went
  process(500, "brltty");
  const std::string text = diagnose("/dev/ttyUSB0", ENOENT);
  EXPECT_NE(text.find("brltty is running"), std::string::npos) << text;
  EXPECT_NE(text.find("sudo apt remove brltty"), std::string::npos);
  EXPECT_NE(text.find("85-brltty.rules"), std::string::npos);
}

TEST_F(FakeSystem, ModemManagerOnAnAcmPortGivesTheUdevRuleForItsVendorAndProduct) {
  usbAdapter("ttyACM0", "2341", "0043", "cdc_acm");
  process(600, "ModemManager", "/dev/ttyACM0");
  const std::string text = diagnose("/dev/ttyACM0", EBUSY);
  EXPECT_NE(text.find("is open in ModemManager (pid 600)"), std::string::npos) << text;
  EXPECT_NE(text.find("ATTRS{idVendor}==\"2341\", ATTRS{idProduct}==\"0043\", "
                      "ENV{ID_MM_DEVICE_IGNORE}=\"1\""),
            std::string::npos)
      << text;
  EXPECT_EQ(diagnose("/dev/ttyUSB0", ENOENT).find("ModemManager"), std::string::npos);
}

TEST_F(FakeSystem, HotPlugWatchNotesTerminalsComingAndGoingOnly) {
  fs::create_directories(dir.path() + "/dev");
  PortWatch watch(dir.path() + "/dev");
  ASSERT_GE(watch.fd(), 0);
  put("/dev/sda1", "");
  EXPECT_FALSE(watch.portsChanged());
  put("/dev/ttyUSB0", "");
  EXPECT_TRUE(watch.portsChanged());
  EXPECT_FALSE(watch.portsChanged());
  fs::remove(dir.path() + "/dev/ttyUSB0");
  EXPECT_TRUE(watch.portsChanged());
}

}  // namespace
}  // namespace zorbel::link
