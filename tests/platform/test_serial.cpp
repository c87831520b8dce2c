// The serial port on a real pseudo-terminal: the test holds the master side,
// as the board would, and the port opens the slave device.
#include "platform/PosixSerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace qm;
using namespace std::chrono_literals;

namespace {

using SteadyClock = std::chrono::steady_clock;

class Pty {
public:
    Pty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            if (const char* name = ::ptsname(m_master))
                m_slave = name;
    }
    ~Pty() { closeMaster(); }
    bool ok() const { return m_master >= 0 && !m_slave.empty(); }
    const std::string& slave() const { return m_slave; }
    int master() const { return m_master; }
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    void send(const std::vector<std::uint8_t>& bytes) const
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else
                std::this_thread::sleep_for(1ms);
        }
    }
    // Reads from the master until `n` bytes have come or a second has passed.
    std::vector<std::uint8_t> receive(std::size_t n) const
    {
        std::vector<std::uint8_t> got;
        const auto deadline = SteadyClock::now() + 1s;
        std::uint8_t buf[4096];
        while (got.size() < n && SteadyClock::now() < deadline) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                const ssize_t r = ::read(m_master, buf, sizeof buf);
                if (r > 0)
                    got.insert(got.end(), buf, buf + r);
            }
        }
        return got;
    }

private:
    int m_master = -1;
    std::string m_slave;
};

std::vector<std::uint8_t> everyByte()
{
    std::vector<std::uint8_t> b(256);
    for (int i = 0; i < 256; ++i)
        b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return b;
}

// Reads from the port until `n` bytes have come, -1 is returned, or a second has passed.
std::vector<std::uint8_t> readPort(ISerialPort& port, std::size_t n, int* last = nullptr)
{
    std::vector<std::uint8_t> got;
    const auto deadline = SteadyClock::now() + 1s;
    std::uint8_t buf[300];
    while (got.size() < n && SteadyClock::now() < deadline) {
        const int r = port.read(buf, sizeof buf);
        if (last)
            *last = r;
        if (r < 0)
            break;
        got.insert(got.end(), buf, buf + r);
        if (r == 0)
            std::this_thread::sleep_for(1ms);
    }
    return got;
}

} // namespace

TEST(SerialPort, OpensRawAndCarriesEveryByteBothWays)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    CPosixSerialPort port;
    ASSERT_TRUE(port.open(pty.slave(), 9600)) << port.lastError();
    EXPECT_TRUE(port.isOpen());

    // The line as the port left it: 9600 baud, 8N1, raw.
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);

    std::uint8_t buf[16];
    EXPECT_EQ(port.read(buf, sizeof buf), 0) << "nothing sent yet";

    // Control characters, CR, LF, XON/XOFF, 0x7F and high bytes all pass untouched.
    pty.send(everyByte());
    EXPECT_EQ(readPort(port, 256), everyByte());
    ASSERT_TRUE(port.write(everyByte().data(), 256));
    EXPECT_EQ(pty.receive(256), everyByte());
    EXPECT_TRUE(port.write(nullptr, 0));
}

TEST(SerialPort, LargeWritesGoOutWhole)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    CPosixSerialPort port;
    ASSERT_TRUE(port.open(pty.slave(), 115200)) << port.lastError();
    std::vector<std::uint8_t> big(1 << 20);
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
    std::vector<std::uint8_t> got;
    std::thread reader([&] {
        const auto deadline = SteadyClock::now() + 20s;
        std::uint8_t buf[65536];
        while (got.size() < big.size() && SteadyClock::now() < deadline) {
            pollfd p{pty.master(), POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                const ssize_t r = ::read(pty.master(), buf, sizeof buf);
                if (r > 0)
                    got.insert(got.end(), buf, buf + r);
            }
        }
    });
    EXPECT_TRUE(port.write(big.data(), static_cast<int>(big.size()))) << port.lastError();
    reader.join();
    EXPECT_TRUE(got == big) << got.size() << " bytes arrived";
}

TEST(SerialPort, AWriteNobodyTakesFailsAfterTheStallTimeout)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    CPosixSerialPort port;
    ASSERT_TRUE(port.open(pty.slave(), 9600));
    port.setWriteStallTimeout(100ms);
    std::vector<std::uint8_t> big(1 << 20, 0x55);
    const auto t = SteadyClock::now();
    EXPECT_FALSE(port.write(big.data(), static_cast<int>(big.size())));
    EXPECT_LT(SteadyClock::now() - t, 2s);
    EXPECT_NE(port.lastError().find("took no data"), std::string::npos) << port.lastError();
}

TEST(SerialPort, AClosedOtherEndBreaksTheLine)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    CPosixSerialPort port;
    ASSERT_TRUE(port.open(pty.slave(), 9600));
    pty.send({0x93, 0x00, 0x05});
    int last = 0;
    EXPECT_EQ(readPort(port, 3, &last), (std::vector<std::uint8_t>{0x93, 0x00, 0x05}));
    EXPECT_EQ(last, 3);
    pty.closeMaster();
    EXPECT_TRUE(readPort(port, 1, &last).empty());
    EXPECT_EQ(last, -1);
    std::uint8_t buf[8];
    EXPECT_EQ(port.read(buf, sizeof buf), -1);
    const std::uint8_t byte = 0x42;
    EXPECT_FALSE(port.write(&byte, 1));
}

TEST(SerialPort, RefusesBadDevicesAndRates)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("qm_serial_" + std::to_string(::getpid()) + ".txt");
    std::ofstream(file) << "not a line";
    struct Case {
        std::string device;
        int baud;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"/nonexistent/ttyUSB9", 9600, "cannot open"},
        {"/dev/null", 9600, "not a serial device"},
        {file.string(), 9600, "not a serial device"},
        {"", 9600, "no serial device"},
        {pty.slave(), 12345, "baud"},
        {pty.slave(), 0, "baud"},
        {pty.slave(), -9600, "baud"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.device + " at " + std::to_string(c.baud));
        CPosixSerialPort port;
        EXPECT_FALSE(port.open(c.device, c.baud));
        EXPECT_FALSE(port.isOpen());
        EXPECT_NE(port.lastError().find(c.reason), std::string::npos) << port.lastError();
        std::uint8_t buf[4];
        EXPECT_EQ(port.read(buf, sizeof buf), -1);
        EXPECT_FALSE(port.write(buf, 1));
    }
    std::filesystem::remove(file);

    // A failed open leaves an open port closed; a good one opens it again.
    CPosixSerialPort port;
    ASSERT_TRUE(port.open(pty.slave(), 9600));
    EXPECT_FALSE(port.open(pty.slave(), 31337));
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.open(pty.slave(), 9600));
    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPort, PortNamesMapToDevices)
{
    const std::filesystem::path dev =
        std::filesystem::temp_directory_path() / ("qm_dev_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dev);
    for (const char* name : {"ttyUSB1", "ttyACM2", "ttyUSB3", "ttyACM3"})
        std::ofstream(dev / name).put('\n');
    struct Case {
        const char* name;
        const char* map;
        std::optional<std::filesystem::path> device;
    };
    const std::vector<Case> cases = {
        {"COM0:", "", dev / "ttyUSB0"},          // nothing there: the first default, named in errors
        {"COM1:", "", dev / "ttyUSB1"},
        {"COM2:", "", dev / "ttyACM2"},          // only an ACM device there
        {"COM3:", "", dev / "ttyUSB3"},          // both: USB first
        {"com1:", "", dev / "ttyUSB1"},
        {"COM4:", "COM4:=/dev/rfcomm0", "/dev/rfcomm0"},
        {"COM2:", " com2: = /dev/pts/7 ;COM0:=/x", "/dev/pts/7"},
        {"COM0:", "COM2:=/dev/pts/7;junk;=;COM0:=", dev / "ttyUSB0"},  // broken entries are skipped
        {"COM5:", "", std::nullopt},
        {"COM1", "", std::nullopt},
        {"LPT1:", "", std::nullopt},
        {"/dev/ttyS0", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " with '" + c.map + "'");
        EXPECT_EQ(serialDeviceFor(c.name, c.map, dev), c.device);
        EXPECT_EQ(isSerialPortName(c.name), c.device.has_value());
    }
    std::filesystem::remove_all(dev);
}

TEST(SerialPort, OpensAPortNameThroughTheMap)
{
    Pty pty;
    ASSERT_TRUE(pty.ok());
    std::unique_ptr<ISerialPort> port = makeSerialPort("COM3:=" + pty.slave());
    ASSERT_TRUE(port->open("COM3:", 9600));
    const std::uint8_t request = 0x4D;
    ASSERT_TRUE(port->write(&request, 1));
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x4D});
    pty.send({0x93, 0x00, 0x05, 0x01, 0x02});
    EXPECT_EQ(readPort(*port, 5), (std::vector<std::uint8_t>{0x93, 0x00, 0x05, 0x01, 0x02}));
}
