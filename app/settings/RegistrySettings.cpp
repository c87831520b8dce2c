#include "app/settings/RegistrySettings.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace qm {

struct CRegistrySettings::Value {
    Type type = Type::Int;
    std::int32_t integer = 0;
    double real = 0;
    std::string bytes; // String, Binary and Wide
};

namespace {

struct Line {
    std::string name;
    // The parsed value; kept with its type so that a get of another type
    // fails instead of guessing.
    int type = 0;
    std::int32_t integer = 0;
    double real = 0;
    std::string bytes;
};

// Files beyond this size are read only up to it: a settings file is small,
// and junk must not make every read slow.
constexpr std::size_t MaxFileBytes = 1 << 20;

const char* const TypeNames[] = {"int", "double", "string", "binary", "wide"};

bool isPlain(unsigned char c)
{
    return c > 0x20 && c < 0x7f && c != '\\' && c != '"' && c != '=' && c != '#';
}

void appendHex(std::string& out, unsigned char c)
{
    static const char digits[] = "0123456789abcdef";
    out += digits[c >> 4];
    out += digits[c & 15];
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string escapeName(std::string_view name)
{
    std::string out;
    for (unsigned char c : name) {
        if (isPlain(c)) {
            out += char(c);
        } else {
            out += "\\x";
            appendHex(out, c);
        }
    }
    return out;
}

std::string quote(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c >= 0x20 && c < 0x7f) {
                out += char(c);
            } else {
                out += "\\x";
                appendHex(out, c);
            }
        }
    }
    return out + "\"";
}

// Decodes the escapes of a name or quoted text; i is at the first character
// after the opening quote (quoted) or of the name. False on a bad escape or,
// when quoted, a missing closing quote.
bool unescape(std::string_view text, std::size_t& i, bool quoted, std::string& out)
{
    out.clear();
    while (i < text.size()) {
        char c = text[i];
        if (quoted && c == '"') {
            ++i;
            return true;
        }
        if (!quoted && (c == ' ' || c == '\t'))
            return !out.empty();
        if (c != '\\') {
            if (!quoted && !isPlain((unsigned char)c))
                return false;
            out += c;
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            return false;
        char e = text[i + 1];
        i += 2;
        switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (i + 1 >= text.size())
                return false;
            int hi = hexValue(text[i]), lo = hexValue(text[i + 1]);
            if (hi < 0 || lo < 0)
                return false;
            out += char(hi * 16 + lo);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return !quoted && !out.empty();
}

void skipBlanks(std::string_view text, std::size_t& i)
{
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
}

bool parseLine(std::string_view text, Line& line)
{
    std::size_t i = 0;
    skipBlanks(text, i);
    if (!unescape(text, i, false, line.name))
        return false;
    skipBlanks(text, i);
    if (i >= text.size() || text[i] != '=')
        return false;
    ++i;
    skipBlanks(text, i);
    std::size_t typeEnd = i;
    while (typeEnd < text.size() && text[typeEnd] >= 'a' && text[typeEnd] <= 'z')
        ++typeEnd;
    std::string_view typeName = text.substr(i, typeEnd - i);
    line.type = -1;
    for (int t = 0; t < 5; ++t) {
        if (typeName == TypeNames[t])
            line.type = t;
    }
    if (line.type < 0)
        return false;
    i = typeEnd;
    skipBlanks(text, i);
    std::size_t end = text.size();
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    std::string_view rest = text.substr(i, end - i);
    switch (line.type) {
    case 0: {
        auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), line.integer);
        return ec == std::errc() && p == rest.data() + rest.size() && !rest.empty();
    }
    case 1: {
        auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), line.real);
        return ec == std::errc() && p == rest.data() + rest.size() && !rest.empty();
    }
    case 3:
        if (rest.size() % 2)
            return false;
        line.bytes.clear();
        for (std::size_t k = 0; k < rest.size(); k += 2) {
            int hi = hexValue(rest[k]), lo = hexValue(rest[k + 1]);
            if (hi < 0 || lo < 0)
                return false;
            line.bytes += char(hi * 16 + lo);
        }
        return true;
    default: {
        if (rest.empty() || rest[0] != '"')
            return false;
        std::size_t k = 1;
        return unescape(rest, k, true, line.bytes) && k == rest.size();
    }
    }
}

std::string formatLine(const Line& line)
{
    std::string out = escapeName(line.name) + " = " + TypeNames[line.type] + " ";
    switch (line.type) {
    case 0: out += std::to_string(line.integer); break;
    case 1: {
        char buffer[64];
        auto [p, ec] = std::to_chars(buffer, buffer + sizeof buffer, line.real);
        out.append(buffer, ec == std::errc() ? p : buffer);
        break;
    }
    case 3:
        for (unsigned char c : line.bytes)
            appendHex(out, c);
        break;
    default: out += quote(line.bytes); break;
    }
    return out + "\n";
}

// Every value that can be read from the file, in file order, one per name.
// damaged tells whether any line (other than blanks and comments) was lost.
std::vector<Line> loadFile(const std::filesystem::path& file, bool* damaged = nullptr)
{
    if (damaged)
        *damaged = false;
    std::vector<Line> lines;
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        return lines;
    std::string text(MaxFileBytes, '\0');
    std::size_t n = std::fread(text.data(), 1, text.size(), f);
    std::fclose(f);
    text.resize(n);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) {
            if (damaged && text.find_first_not_of(" \t\r", pos) != std::string::npos)
                *damaged = true; // cut short
            break;
        }
        std::string_view raw(text.data() + pos, nl - pos);
        pos = nl + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        std::size_t first = raw.find_first_not_of(" \t");
        if (first == std::string_view::npos || raw[first] == '#')
            continue;
        Line line;
        if (!parseLine(raw, line)) {
            if (damaged)
                *damaged = true;
            continue;
        }
        bool replaced = false;
        for (auto& old : lines) {
            if (old.name == line.name) {
                old = std::move(line);
                replaced = true;
                break;
            }
        }
        if (!replaced)
            lines.push_back(std::move(line));
    }
    return lines;
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// Replaces the file with the given lines: temporary file, sync, rename.
void saveFile(const std::filesystem::path& file, const std::vector<Line>& lines)
{
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::string text = "# Quillmarsh settings: NAME = TYPE VALUE (types int, double, string, binary, wide)\n";
    for (const auto& line : lines)
        text += formatLine(line);
    std::string temp = file.string() + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return;
    bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), file.c_str()) != 0) {
        std::remove(temp.c_str());
        return;
    }
    int dir = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

std::string fileComponent(std::string_view part)
{
    std::string out;
    for (unsigned char c : part) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                    || c == '-' || c == ' ' || (c == '.' && !out.empty());
        if (keep) {
            out += char(c);
        } else {
            out += '%';
            appendHex(out, c);
        }
    }
    return out;
}

} // namespace

CRegistrySettings::CRegistrySettings(std::filesystem::path root, std::string_view keyPath)
{
    std::filesystem::path file = std::move(root);
    std::string last;
    std::size_t i = 0;
    while (i <= keyPath.size()) {
        std::size_t end = keyPath.find_first_of("\\/", i);
        if (end == std::string_view::npos)
            end = keyPath.size();
        std::string_view part = keyPath.substr(i, end - i);
        if (!part.empty()) {
            if (!last.empty())
                file /= last;
            last = fileComponent(part);
        }
        i = end + 1;
    }
    m_file = file / ((last.empty() ? std::string("root") : last) + ".conf");
}

std::filesystem::path CRegistrySettings::defaultRoot()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::filesystem::path(config) / "quillmarsh";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".config" / "quillmarsh";
}

bool CRegistrySettings::read(std::string_view name, Type type, Value& out) const
{
    for (auto& line : loadFile(m_file)) {
        if (line.name != name)
            continue;
        Type stored = Type(line.type);
        // Strings, binary values and doubles share one representation in the
        // platform registry; the ones that can be read as each other are.
        bool compatible = stored == type || (type == Type::String && stored == Type::Binary)
                          || (type == Type::Binary && stored == Type::String)
                          || (type == Type::Double && stored == Type::Binary && line.bytes.size() == 8);
        if (!compatible)
            return false;
        out.type = stored;
        out.integer = line.integer;
        out.real = line.real;
        out.bytes = std::move(line.bytes);
        if (type == Type::Double && stored == Type::Binary)
            std::memcpy(&out.real, out.bytes.data(), 8);
        return true;
    }
    return false;
}

void CRegistrySettings::write(std::string_view name, Value value)
{
    if (name.empty())
        return;
    bool damaged = false;
    std::vector<Line> lines = loadFile(m_file, &damaged);
    if (damaged) {
        // The clean file drops what could not be read; the damaged one is
        // kept beside it for a person to look at.
        std::error_code ec;
        std::filesystem::copy_file(m_file, m_file.string() + ".damaged",
                                   std::filesystem::copy_options::overwrite_existing, ec);
    }
    Line* target = nullptr;
    for (auto& line : lines) {
        if (line.name == name)
            target = &line;
    }
    if (!target) {
        lines.emplace_back();
        target = &lines.back();
        target->name = std::string(name);
    }
    target->type = int(value.type);
    target->integer = value.integer;
    target->real = value.real;
    target->bytes = std::move(value.bytes);
    saveFile(m_file, lines);
}

bool CRegistrySettings::getInt(std::string_view name, std::int32_t& out)
{
    Value v;
    if (!read(name, Type::Int, v))
        return false;
    out = v.integer;
    return true;
}

bool CRegistrySettings::getDouble(std::string_view name, double& out)
{
    Value v;
    if (!read(name, Type::Double, v))
        return false;
    out = v.real;
    return true;
}

bool CRegistrySettings::getString(std::string_view name, std::string& out)
{
    Value v;
    if (!read(name, Type::String, v) || v.bytes.size() > MaxStringBytes)
        return false;
    out = std::move(v.bytes);
    return true;
}

bool CRegistrySettings::getBinary(std::string_view name, void* buffer, std::size_t& size)
{
    Value v;
    if (!read(name, Type::Binary, v) || v.bytes.size() > size)
        return false;
    if (!v.bytes.empty())
        std::memcpy(buffer, v.bytes.data(), v.bytes.size());
    size = v.bytes.size();
    return true;
}

void CRegistrySettings::setInt(std::string_view name, std::int32_t value)
{
    Value v;
    v.type = Type::Int;
    v.integer = value;
    write(name, std::move(v));
}

void CRegistrySettings::setDouble(std::string_view name, double value)
{
    Value v;
    v.type = Type::Double;
    v.real = value;
    write(name, std::move(v));
}

void CRegistrySettings::setString(std::string_view name, std::string_view value)
{
    Value v;
    v.type = Type::String;
    v.bytes = std::string(value);
    write(name, std::move(v));
}

void CRegistrySettings::setBinary(std::string_view name, const void* data, std::size_t size)
{
    Value v;
    v.type = Type::Binary;
    if (size)
        v.bytes.assign(static_cast<const char*>(data), size);
    write(name, std::move(v));
}

namespace {

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD; // a lone surrogate
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string fromUtf8(std::string_view text)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char b = (unsigned char)text[i];
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        std::uint32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra == 0 || (extra > 0 && i + std::size_t(extra) < text.size());
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char cont = (unsigned char)text[i + std::size_t(k)];
            ok = (cont & 0xC0) == 0x80;
            c = (c << 6) | (cont & 0x3F);
        }
        if (!ok || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
            out += char16_t(0xFFFD);
            ++i;
            continue;
        }
        i += std::size_t(extra) + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}

} // namespace

void CRegistrySettings::setWideString(std::string_view name, std::u16string_view text)
{
    Value v;
    v.type = Type::Wide;
    v.bytes = toUtf8(text);
    write(name, std::move(v));
}

bool CRegistrySettings::getWideString(std::string_view name, std::u16string& out)
{
    Value v;
    if (!read(name, Type::Wide, v))
        return false;
    out = fromUtf8(v.bytes);
    return true;
}

} // namespace qm
