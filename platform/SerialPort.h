#pragma once
// A byte-stream serial line (the DGT board link).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class ISerialPort {
public:
    virtual ~ISerialPort() = default;
    // Opens the device at `baud`, 8 data bits, no parity, one stop bit, raw.
    virtual bool open(std::string_view device, int baud) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Reads what has arrived, up to `max` bytes, without waiting; -1 on a
    // broken line.
    virtual int read(std::uint8_t* buffer, int max) = 0;
    // Writes all bytes or returns false.
    virtual bool write(const std::uint8_t* data, int size) = 0;
};

// A serial port for tests: bytes the "board" sends are queued by the test,
// bytes the program writes are recorded.
class CFakeSerialPort final : public ISerialPort {
public:
    bool open(std::string_view device, int baud) override
    {
        m_device = device;
        m_baud = baud;
        m_open = m_openSucceeds;
        return m_open;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    int read(std::uint8_t* buffer, int max) override
    {
        if (!m_open)
            return -1;
        int n = 0;
        while (n < max && !m_incoming.empty()) {
            buffer[n++] = m_incoming.front();
            m_incoming.pop_front();
        }
        return n;
    }
    bool write(const std::uint8_t* data, int size) override
    {
        if (!m_open || size < 0)
            return false;
        m_written.insert(m_written.end(), data, data + size);
        return true;
    }

    void feed(const std::vector<std::uint8_t>& bytes) { m_incoming.insert(m_incoming.end(), bytes.begin(), bytes.end()); }
    const std::vector<std::uint8_t>& written() const { return m_written; }
    void failNextOpen(bool fail) { m_openSucceeds = !fail; }
    const std::string& device() const { return m_device; }
    int baud() const { return m_baud; }

private:
    bool m_open = false;
    bool m_openSucceeds = true;
    std::string m_device;
    int m_baud = 0;
    std::deque<std::uint8_t> m_incoming;
    std::vector<std::uint8_t> m_written;
};

} // namespace qm
