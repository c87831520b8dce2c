#include "platform/PosixSerialPort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace qm {

namespace {

std::optional<speed_t> speedFor(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return std::nullopt;
    }
}

// The port's digit of "COMn:", or -1.
int portIndex(std::string_view name)
{
    if (name.size() != 5 || name[4] != ':' || name[3] < '0' || name[3] > '4')
        return -1;
    for (int i = 0; i < 3; ++i)
        if ((name[static_cast<std::size_t>(i)] & ~0x20) != "COM"[i])
            return -1;
    return name[3] - '0';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

bool isSerialPortName(std::string_view name) { return portIndex(name) >= 0; }

std::optional<std::filesystem::path> serialDeviceFor(std::string_view portName, std::string_view portMap,
                                                     const std::filesystem::path& devFolder)
{
    const int index = portIndex(portName);
    if (index < 0)
        return std::nullopt;
    while (!portMap.empty()) {
        const std::size_t end = std::min(portMap.find(';'), portMap.size());
        const std::string_view entry = portMap.substr(0, end);
        portMap.remove_prefix(std::min(end + 1, portMap.size()));
        const std::size_t eq = entry.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view path = trim(entry.substr(eq + 1));
        if (portIndex(trim(entry.substr(0, eq))) == index && !path.empty())
            return std::filesystem::path(path);
    }
    const std::string n = std::to_string(index);
    std::error_code ec;
    for (const char* stem : {"ttyUSB", "ttyACM"})
        if (std::filesystem::exists(devFolder / (stem + n), ec))
            return devFolder / (stem + n);
    return devFolder / ("ttyUSB" + n);
}

CPosixSerialPort::CPosixSerialPort(std::string portMap) : m_portMap(std::move(portMap)) {}

CPosixSerialPort::~CPosixSerialPort() { close(); }

bool CPosixSerialPort::fail(std::string why)
{
    m_error = std::move(why);
    close();
    return false;
}

bool CPosixSerialPort::open(std::string_view device, int baud)
{
    close();
    m_error.clear();
    if (isSerialPortName(device))
        m_path = *serialDeviceFor(device, m_portMap);
    else
        m_path = std::filesystem::path(device);
    if (m_path.empty())
        return fail("no serial device named");
    const std::optional<speed_t> speed = speedFor(baud);
    if (!speed)
        return fail("unsupported baud rate " + std::to_string(baud));

    m_fd = ::open(m_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return fail("cannot open " + m_path.string() + ": " + std::strerror(errno));
    if (!::isatty(m_fd))
        return fail(m_path.string() + " is not a serial device");
    // No sharing: a second open of the line fails (except for root).
    ::ioctl(m_fd, TIOCEXCL);

    termios tio{};
    if (::tcgetattr(m_fd, &tio) != 0)
        return fail("cannot read the settings of " + m_path.string() + ": " + std::strerror(errno));
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // Reads return at once with what is there.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, *speed) != 0 || ::cfsetospeed(&tio, *speed) != 0 || ::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return fail("cannot set up " + m_path.string() + ": " + std::strerror(errno));
    // tcsetattr succeeds when any one setting took; check the ones that matter.
    termios got{};
    if (::tcgetattr(m_fd, &got) != 0 || ::cfgetospeed(&got) != *speed || (got.c_cflag & CSIZE) != CS8 ||
        (got.c_cflag & (PARENB | CSTOPB)) != 0)
        return fail(m_path.string() + " does not take " + std::to_string(baud) + " baud 8N1");
    ::tcflush(m_fd, TCIOFLUSH);
    return true;
}

void CPosixSerialPort::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

int CPosixSerialPort::read(std::uint8_t* buffer, int max)
{
    if (m_fd < 0)
        return -1;
    if (max <= 0 || !buffer)
        return 0;
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return errno == EINTR ? 0 : -1;
    if (p.revents & POLLNVAL)
        return -1;
    if (p.revents & POLLIN) {
        const ssize_t n = ::read(m_fd, buffer, static_cast<std::size_t>(max));
        if (n > 0)
            return static_cast<int>(n);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return 0;
        // End of file, or an error such as EIO once the other end is gone.
        return -1;
    }
    return (p.revents & (POLLHUP | POLLERR)) ? -1 : 0;
}

bool CPosixSerialPort::write(const std::uint8_t* data, int size)
{
    if (m_fd < 0 || size < 0 || (!data && size > 0))
        return false;
    int done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, static_cast<std::size_t>(size - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            m_error = "cannot write to " + m_path.string() + ": " + std::strerror(errno);
            return false;
        }
        pollfd p{m_fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(m_stallTimeout.count()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0) {
            m_error = m_path.string() + " took no data for " + std::to_string(m_stallTimeout.count()) + " ms";
            return false;
        }
        if (r < 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            m_error = "the line of " + m_path.string() + " is gone";
            return false;
        }
    }
    return true;
}

std::unique_ptr<ISerialPort> makeSerialPort(std::string portMap)
{
    return std::make_unique<CPosixSerialPort>(std::move(portMap));
}

} // namespace qm
