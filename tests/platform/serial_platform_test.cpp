#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "link/serial_link.h"
#include "platform/port_map.h"
#include "platform/steady_clock.h"
#include "platform/sysfs_lister.h"
#include "platform/system_registry.h"
#include "platform/termios_port.h"
#include "support/memory_registry.h"
#include "support/registry_access.h"
#include "testsupport/fakes.h"
#include "testsupport/link_fakes.h"

namespace kpx {
namespace {

namespace fs = std::filesystem;

TEST(PortMap, TtyUsbNumbersAndRegisteredPaths) {
    PortMap map;
    EXPECT_EQ(map.ComNumberForPath("/dev/ttyUSB0"), 1);
    EXPECT_EQ(map.ComNumberForPath("/dev/ttyUSB12"), 13);
    EXPECT_EQ(map.PathForCom(5), "/dev/ttyUSB4");
    EXPECT_EQ(map.ComNumberForPath("/dev/ttyS0"), std::nullopt);
    EXPECT_EQ(map.ComNumberForPath("/dev/ttyUSBx"), std::nullopt);
    EXPECT_EQ(map.PathForCom(0), std::nullopt);

    EXPECT_EQ(map.Register("/dev/pts/7"), PortMap::kFirstExtraCom);
    EXPECT_EQ(map.Register("/dev/pts/9"), PortMap::kFirstExtraCom + 1);
    EXPECT_EQ(map.Register("/dev/pts/7"), PortMap::kFirstExtraCom);
    EXPECT_EQ(map.Register("/dev/ttyUSB3"), 4);  // never a second number for a cable's tty
    EXPECT_EQ(map.PathForCom(PortMap::kFirstExtraCom + 1), "/dev/pts/9");
    EXPECT_EQ(map.ComNumberForPath("/dev/pts/9"), PortMap::kFirstExtraCom + 1);
    map.Unregister("/dev/pts/9");
    EXPECT_EQ(map.PathForCom(PortMap::kFirstExtraCom + 1), std::nullopt);
}

// A sysfs tree with two Prolific ports, an FTDI port, a real and an unused 8250 port.
struct FakeSysfs {
    FakeSysfs() {
        AddUsbTty("ttyUSB1", "067b", "1-1");
        AddUsbTty("ttyUSB0", "0403", "1-2");
        AddUsbTty("ttyUSB3", "067b", "1-3");
        AddPlatformTty("ttyS0", "4");
        AddPlatformTty("ttyS1", "0");
        fs::create_directories(fs::path(dir.path()) / "class/tty/tty0");  // no device
    }
    // A tty of a USB device; its interface is bound to `driver` when one is named.
    void AddUsbTty(const std::string& name, const std::string& vendor, const std::string& usb,
                   const std::string& driver = "") {
        const fs::path dev = fs::path(dir.path()) / "devices/usb1" / usb;
        const fs::path iface = dev / (usb + ":1.0");
        fs::create_directories(iface / name);
        std::ofstream(dev / "idVendor") << vendor << "\n";
        if (!driver.empty()) {
            const fs::path bound = fs::path(dir.path()) / "bus/usb/drivers" / driver;
            fs::create_directories(bound);
            fs::create_directory_symlink(bound, iface / "driver");
        }
        Link(name, iface / name);
    }
    void AddPlatformTty(const std::string& name, const std::string& type) {
        const fs::path dev = fs::path(dir.path()) / "devices/platform/serial8250" / name;
        fs::create_directories(dev);
        Link(name, dev);
        std::ofstream(fs::path(dir.path()) / "class/tty" / name / "type") << type << "\n";
    }
    void Link(const std::string& name, const fs::path& device) {
        const fs::path cls = fs::path(dir.path()) / "class/tty" / name;
        fs::create_directories(cls);
        fs::create_directory_symlink(device, cls / "device");
    }
    testing::TempDir dir;
};

TEST(SysfsDeviceLister, NamesTheProlificPortsByComNumber) {
    FakeSysfs sysfs;
    PortMap map;
    map.Register("/tmp/sim-pty");
    SysfsDeviceLister lister(map, sysfs.dir.path());
    EXPECT_EQ(lister.GetDevInfo(kCableDescription),
              (std::vector<std::string>{"Prolific USB-to-Serial Comm Port (COM2)\r\n",
                                        "Prolific USB-to-Serial Comm Port (COM4)\r\n",
                                        "Prolific USB-to-Serial Comm Port (COM200)\r\n"}));
    const auto ports = lister.Ports(kCableDescription);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].path, "/dev/ttyUSB1");
    EXPECT_EQ(ports[2].path, "/tmp/sim-pty");
    EXPECT_TRUE(lister.GetDevInfo("Some Other Device").empty());

    SysfsDeviceLister none(map, sysfs.dir.path() + "/nowhere");
    EXPECT_EQ(none.GetDevInfo(kCableDescription).size(), 1u);  // only the registered one
}

// OEM cables carry their own vendor IDs; what makes them the cable is the kernel's pl2303
// driver on their USB interface.
TEST(SysfsDeviceLister, ListsTtysBoundToThePl2303DriverUnderAnyVendor) {
    FakeSysfs sysfs;
    sysfs.AddUsbTty("ttyUSB5", "0557", "1-4", "pl2303");
    sysfs.AddUsbTty("ttyUSB6", "0403", "1-5", "ftdi_sio");
    sysfs.AddUsbTty("ttyUSB7", "067b", "1-6", "pl2303");
    PortMap map;
    SysfsDeviceLister lister(map, sysfs.dir.path());
    EXPECT_EQ(lister.GetDevInfo(kCableDescription),
              (std::vector<std::string>{"Prolific USB-to-Serial Comm Port (COM2)\r\n",
                                        "Prolific USB-to-Serial Comm Port (COM4)\r\n",
                                        "Prolific USB-to-Serial Comm Port (COM6)\r\n",
                                        "Prolific USB-to-Serial Comm Port (COM8)\r\n"}));
    EXPECT_EQ(lister.Ports(kCableDescription)[2].path, "/dev/ttyUSB5");
}

TEST(SystemRegistry, SerialCommListsThePortsWithHardware) {
    FakeSysfs sysfs;
    PortMap map;
    map.Register("/tmp/sim-pty");
    SystemRegistry backend(map, sysfs.dir.path());
    RegistryAccess registry(backend);
    std::vector<std::string> names, values;
    ASSERT_EQ(registry.EnumValues(kSerialCommKey, names, values, -1), 5);
    EXPECT_EQ(names[0], "\\Device\\ttyS0");
    EXPECT_EQ(values[1], "COM1");  // ttyUSB0
    EXPECT_EQ(values.back(), "COM200");
    // Seen afresh at every look: a cable pulled out drops from the count.
    fs::remove_all(fs::path(sysfs.dir.path()) / "class/tty/ttyUSB3");
    EXPECT_EQ(SerialPortCount(registry), 4);
}

// A pseudo-terminal whose master the test holds.
struct Pty {
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        path = ptsname(master);
        // Keep the slave's settings while the port under test closes and reopens it.
        keep = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    }
    ~Pty() {
        if (keep >= 0) ::close(keep);
        if (master >= 0) ::close(master);
    }
    // The far end goes away. The kept slave descriptor holds the pty's number, so that no
    // other pty (another test's) can take the path over while the hung-up one is tried.
    void HangUp() {
        ::close(master);
        master = -1;
    }
    int master = -1;
    int keep = -1;
    std::string path;
};

TEST(TermiosSerialPort, RawLineBothWays) {
    Pty pty;
    PortMap map;
    const int com = map.Register(pty.path);
    TermiosSerialPort port(map);
    EXPECT_LT(port.sio_lstatus(com), 0);
    EXPECT_LT(port.sio_open(999), 0);
    ASSERT_EQ(port.sio_open(com), 0);
    ASSERT_EQ(port.sio_ioctl(com, SerialPort::kBaud9600, SerialPort::kMode8N1), 0);
    EXPECT_GE(port.sio_lstatus(com), 0);

    termios t{};
    ASSERT_EQ(tcgetattr(pty.keep, &t), 0);
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | ICRNL), 0u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));

    const std::uint8_t out[] = {'B', 0x0D, 0x0A, 0x11, 0x13, 0xFF, 0x00};
    ASSERT_EQ(port.sio_write(com, out, sizeof out), 7);
    std::uint8_t seen[16] = {};
    ASSERT_EQ(::read(pty.master, seen, sizeof seen), 7);
    EXPECT_EQ(std::vector<std::uint8_t>(seen, seen + 7), std::vector<std::uint8_t>(out, out + 7));

    EXPECT_EQ(port.sio_getch(com), SerialPort::kNoByte);
    ASSERT_EQ(::write(pty.master, out, sizeof out), 7);
    for (int i = 0; i < 200 && port.sio_iqueue(com) < 7; ++i) usleep(1000);
    EXPECT_EQ(port.sio_iqueue(com), 7);
    EXPECT_EQ(port.sio_getch(com), 'B');
    std::uint8_t in[16] = {};
    EXPECT_EQ(port.sio_read(com, in, 16), 6);
    EXPECT_EQ(in[0], 0x0D);
    EXPECT_EQ(in[5], 0x00);
    EXPECT_EQ(port.sio_read(com, in, 16), 0);
    EXPECT_EQ(port.sio_flush(com, SerialPort::kFlushBoth), 0);
    EXPECT_EQ(port.sio_close(com), 0);
    EXPECT_LT(port.sio_close(com), 0);
}

TEST(TermiosSerialPort, HungUpLineGivesNegativeResults) {
    Pty pty;
    PortMap map;
    const int com = map.Register(pty.path);
    TermiosSerialPort port(map);
    ASSERT_EQ(port.sio_open(com), 0);
    pty.HangUp();
    EXPECT_LT(port.sio_iqueue(com), 0);
    EXPECT_LT(port.sio_lstatus(com), 0);
    const std::uint8_t b = 1;
    EXPECT_LT(port.sio_write(com, &b, 1), 0);
    EXPECT_LT(port.sio_getch(com), SerialPort::kNoByte);
    EXPECT_LT(port.sio_open(com), 0);
}

// A board whose cable is pulled just as the probe is sent: the probe's waits for the reply
// must sleep on the dead line, not spin for their 500 ms.
TEST(TermiosSerialPort, ProbeOnAHungUpLineSleepsInsteadOfSpinning) {
    struct PullingPort : TermiosSerialPort {
        PullingPort(PortMap& map, Pty& pty) : TermiosSerialPort(map), pty_(pty) {}
        int sio_write(int port, const std::uint8_t* buffer, int len) override {
            const int rc = TermiosSerialPort::sio_write(port, buffer, len);
            pty_.HangUp();
            return rc;
        }
        int sio_getch(int port) override {
            ++polls;
            return TermiosSerialPort::sio_getch(port);
        }
        Pty& pty_;
        long polls = 0;
    };
    Pty pty;
    PortMap map;
    const int com = map.Register(pty.path);
    PullingPort port(map, pty);
    testing::ScriptedLister lister;
    lister.SetComs({com});
    MemoryRegistry backend;
    RegistryAccess registry(backend);
    SteadyClock clock;
    testing::CountingPump pump;
    testing::RecordingDialogs dialogs;
    SerialLink link(port, lister, registry, clock, pump, dialogs);

    EXPECT_FALSE(link.usb_probe());
    // About one look a millisecond over the 500 ms window; a spinning wait makes millions.
    EXPECT_LT(port.polls, 1000);
    EXPECT_EQ(link.boardPort, -1);
}

}  // namespace
}  // namespace kpx
