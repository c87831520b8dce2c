#pragma once
// The serial port of the real program: a terminal device through termios.

#include "platform/SerialPort.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The setting (a string) that maps the program's port names to devices:
// entries "NAME=PATH" separated by ';', such as "COM0:=/dev/rfcomm0;COM2:=/dev/pts/4".
inline constexpr std::string_view SerialPortMapSetting = "SerialPorts";

// Whether `name` is one of the program's port names "COM0:".."COM4:" (any case).
bool isSerialPortName(std::string_view name);

// The device of port name "COMn:" (n = 0..4): its entry in `portMap` when it
// has one, else <devFolder>/ttyUSBn when that exists, else <devFolder>/ttyACMn
// when that exists, else <devFolder>/ttyUSBn. Nothing for any other name.
std::optional<std::filesystem::path> serialDeviceFor(std::string_view portName, std::string_view portMap,
                                                     const std::filesystem::path& devFolder = "/dev");

// A raw 8N1 line without flow control, opened exclusively and non-blocking.
class CPosixSerialPort final : public ISerialPort {
public:
    // `portMap` is the value of the SerialPortMapSetting setting.
    explicit CPosixSerialPort(std::string portMap = {});
    ~CPosixSerialPort() override;
    CPosixSerialPort(const CPosixSerialPort&) = delete;
    CPosixSerialPort& operator=(const CPosixSerialPort&) = delete;

    // `device` is a port name "COM0:".."COM4:" or a device path. False (and
    // closed, with lastError) for a missing or non-terminal device, a baud
    // rate termios does not know, or a device that refuses the settings.
    bool open(std::string_view device, int baud) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    // What has arrived, at once: 0 when nothing has; -1 when the port is
    // closed or the line is gone (hung up, unplugged, the other end closed).
    int read(std::uint8_t* buffer, int max) override;
    // Waits while the line takes the bytes; false when it fails or takes
    // nothing for the stall time-out.
    bool write(const std::uint8_t* data, int size) override;

    const std::string& lastError() const { return m_error; }
    const std::filesystem::path& devicePath() const { return m_path; }
    void setWriteStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }

private:
    bool fail(std::string why);

    std::string m_portMap;
    int m_fd = -1;
    std::filesystem::path m_path;
    std::string m_error;
    std::chrono::milliseconds m_stallTimeout{2000};
};

// The serial port the program's DGT link opens; `portMap` as above.
std::unique_ptr<ISerialPort> makeSerialPort(std::string portMap);

} // namespace qm
