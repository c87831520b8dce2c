#include "database/Database.h"

#include "database/IndexScanner.h"
#include "game/Game.h"
#include "game/PgnReader.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr std::string_view ToStringText = "CDatabase::toString() not yet implemented";
constexpr std::string_view ToFileText = "CDatabase::toFile() not yet implemented";

// Forces a file's data (or a folder's entries) to the disk, so that a rename
// after it cannot reach the disk before the bytes it names.
bool syncPath(const std::string& path, bool folder)
{
    int fd = ::open(path.c_str(), folder ? (O_RDONLY | O_DIRECTORY) : O_RDONLY);
    if (fd < 0)
        return false;
    // A file system that cannot sync (EINVAL) has nothing more to give.
    bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return ok;
}

std::string folderOf(const std::string& name)
{
    std::filesystem::path parent = std::filesystem::path(name).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

bool exists(const std::string& name)
{
    struct stat st;
    return ::lstat(name.c_str(), &st) == 0;
}

} // namespace

CDatabase::CDatabase(CPgnReader& reader) : m_reader(reader), m_pool(std::make_unique<CTextPool>())
{
    m_entries.reserve(16);
}

CDatabase::~CDatabase()
{
    close();
}

bool CDatabase::identify(const std::string& name, FileIdentity& out)
{
    struct stat st;
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    out.device = std::uint64_t(st.st_dev);
    out.inode = std::uint64_t(st.st_ino);
    out.size = std::uint64_t(st.st_size);
    out.modified = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

bool CDatabase::openStream()
{
    FileIdentity identity;
    if (!identify(m_fileName, identity))
        return false;
    m_file.clear();
    m_file.open(m_fileName, std::ios::in | std::ios::binary);
    m_hasFile = m_file.is_open();
    m_reader.discardBuffer();
    return m_hasFile;
}

bool CDatabase::open(const std::string& name)
{
    if (m_open || m_hasFile)
        close();
    m_fileName = name;
    // A rewrite that stopped between its two renames left only the backup.
    const std::string backup = name + ".bak";
    if (!name.empty() && !exists(name) && exists(backup) && std::rename(backup.c_str(), name.c_str()) == 0)
        syncPath(folderOf(name), true);
    if (!openStream()) {
        setError(FileNotFound, name);
        return false;
    }
    m_current = 0;
    m_open = true;
    m_stale = false;
    buildIndex();
    return true;
}

void CDatabase::setFileName(const std::string& name)
{
    m_fileName = name;
}

std::string CDatabase::fileName() const
{
    return m_fileName;
}

void CDatabase::filter(const CSearchFilter& criteria, std::vector<CDatabaseEntry>& result) const
{
    filterEntries(m_entries, criteria, result);
}

const std::vector<CDatabaseEntry>& CDatabase::entries() const
{
    return m_entries;
}

void CDatabase::buildIndex()
{
    m_entries.clear();
    m_current = 0;
    if (!m_hasFile)
        return;
    identify(m_fileName, m_identity);
    m_reader.discardBuffer();
    const std::uint64_t p = 0;
    std::int64_t start = std::int64_t(p);
    CIndexScanner scanner(m_file, m_reader);
    CIndexScanner::Fields fields;
    for (;;) {
        std::int64_t next = start;
        if (!scanner.scan(start, next, fields) || next <= start)
            break;
        // Offsets are 32-bit; the games past 2 GiB are not indexed.
        if (next > INT32_MAX)
            break;
        CDatabaseEntry entry;
        entry.number = std::int32_t(m_entries.size());
        for (std::size_t f = 0; f < CDatabaseEntry::FieldCount; ++f)
            entry.texts[f] = m_pool->intern(fields[f]);
        entry.start = std::uint32_t(start);
        entry.end = std::int32_t(next);
        entry.pool = m_pool.get();
        if (m_entries.size() == m_entries.capacity())
            m_entries.reserve(2 * std::max<std::size_t>(8, m_entries.capacity()));
        m_entries.push_back(entry);
        start = next;
    }
    m_file.clear();
    m_reader.discardBuffer();
    m_current = 0;
    seekTo(p);
}

void CDatabase::seekTo(std::uint64_t offset)
{
    if (!m_hasFile)
        return;
    m_position = offset;
    m_file.clear();
    if (m_file.seekg(std::streamoff(offset)))
        return;
    m_file.close();
    if (!openStream()) {
        m_hasFile = false;
        m_stale = true;
        setError(FileNotFound, m_fileName);
        return;
    }
    if (!m_file.seekg(std::streamoff(offset)))
        setError(SeekFailed);
}

bool CDatabase::usable()
{
    if (!m_open || !m_hasFile || m_stale)
        return false;
    FileIdentity now;
    bool present = identify(m_fileName, now);
    if (present && now == m_identity)
        return true;
    // The file vanished or was changed by someone else: let go of it and
    // refuse every operation until it is opened again.
    m_file.close();
    m_hasFile = false;
    m_stale = true;
    m_reader.discardBuffer();
    if (present)
        setError(ReadError);
    else
        setError(FileNotFound, m_fileName);
    return false;
}

std::unique_ptr<CGame> CDatabase::readGameHere()
{
    if (!usable())
        return nullptr;
    const std::uint64_t p = m_position;
    std::int64_t next = 0;
    std::unique_ptr<CGame> result;
    m_file.clear();
    bool ok = m_reader.readGame(m_file, std::int64_t(p), next, result);
    seekTo(p);
    if (!ok || !result) {
        setError(ParseError);
        return nullptr;
    }
    return result;
}

bool CDatabase::entryIndex(std::int64_t n, std::size_t& out) const
{
    if (n < 0 || std::uint64_t(n) >= m_entries.size())
        return false;
    out = std::size_t(n);
    return true;
}

std::unique_ptr<CGame> CDatabase::readCurrent()
{
    if (m_current >= m_entries.size())
        return nullptr;
    seekTo(m_entries[m_current].start);
    return readGameHere();
}

std::unique_ptr<CGame> CDatabase::game(std::int64_t n)
{
    std::size_t i = 0;
    if (!usable() || !entryIndex(n, i))
        return nullptr;
    m_current = std::uint32_t(i);
    return readCurrent();
}

std::unique_ptr<CGame> CDatabase::nextGame()
{
    if (!usable())
        return nullptr;
    m_current = m_current + 1 >= m_entries.size() ? 0 : m_current + 1;
    return readCurrent();
}

std::unique_ptr<CGame> CDatabase::previousGame()
{
    if (!usable())
        return nullptr;
    m_current = m_current == 0 || m_current > m_entries.size() ? std::uint32_t(m_entries.size() ? m_entries.size() - 1 : 0)
                                                                : m_current - 1;
    return readCurrent();
}

bool CDatabase::appendGame(const std::string& name, CGame& game)
{
    FileIdentity before;
    const bool existed = identify(name, before);
    const bool ownFile = m_open && existed && before.device == m_identity.device && before.inode == m_identity.inode;
    if (ownFile && !usable())
        return false;
    std::ofstream out(name, std::ios::out | std::ios::app | std::ios::binary);
    if (!out.is_open()) {
        setError(CannotAppend, name);
        return false;
    }
    bool ok = game.writeTo(out);
    out.close();
    ok = ok && !out.fail() && syncPath(name, false);
    if (!ok) {
        // A game cut short would glue itself to the next one appended; the
        // file goes back to what it was.
        std::error_code ec;
        if (existed)
            std::filesystem::resize_file(name, before.size, ec);
        else
            std::filesystem::remove(name, ec);
        setError(WriteError);
    }
    if (ownFile) {
        identify(m_fileName, m_identity);
        m_reader.discardBuffer();
    }
    return ok;
}

bool CDatabase::replaceCurrentGame(CGame& game)
{
    return replaceGame(m_current, game);
}

bool CDatabase::replaceGame(std::int64_t n, CGame& game)
{
    std::size_t i = 0;
    if (!usable() || !entryIndex(n, i))
        return false;
    return rewriteRange(m_entries[i].start, m_entries[i].end, &game);
}

bool CDatabase::deleteCurrentGame()
{
    return deleteGame(m_current);
}

bool CDatabase::deleteGame(std::int64_t n)
{
    std::size_t i = 0;
    if (!usable() || !entryIndex(n, i))
        return false;
    return rewriteRange(m_entries[i].start, m_entries[i].end, nullptr);
}

bool CDatabase::injectFailure(RewriteStep)
{
    return false;
}

bool CDatabase::rewriteRange(std::uint32_t start, std::int32_t end, CGame* game)
{
    const std::uint32_t noteCurrent = m_current;
    const std::uint64_t notePosition = m_position;
    const std::string temp = m_fileName + ".tmp";
    const std::string backup = m_fileName + ".bak";
    bool result = false;

    auto discardTemp = [&](std::ofstream& out) {
        out.close();
        std::remove(temp.c_str());
    };

    do {
        std::ofstream out;
        if (!injectFailure(RewriteStep::CreateTemporary))
            out.open(temp, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!out.is_open()) {
            setError(CannotWrite, temp);
            break;
        }
        // The new file gets the permissions of the one it replaces.
        std::error_code ec;
        std::filesystem::permissions(temp, std::filesystem::status(m_fileName, ec).permissions(),
                                     std::filesystem::perm_options::replace, ec);
        if (start != 0 && (injectFailure(RewriteStep::CopyBefore) ? (setError(ReadError), true)
                                                                   : !copyRange(&out, 0, start))) {
            discardTemp(out);
            break;
        }
        if (game && (injectFailure(RewriteStep::WriteGame) || !game->writeTo(out) || !out)) {
            setError(WriteError);
            discardTemp(out);
            break;
        }
        if (injectFailure(RewriteStep::CopyAfter) ? (setError(ReadError), true)
                                                  : !copyRange(&out, std::uint64_t(end), 0)) {
            discardTemp(out);
            break;
        }
        out.close();
        if (out.fail() || injectFailure(RewriteStep::SyncTemporary) || !syncPath(temp, false)) {
            setError(WriteError);
            std::remove(temp.c_str());
            break;
        }
        close();
        std::remove(backup.c_str());
        if (injectFailure(RewriteStep::RenameToBackup) || std::rename(m_fileName.c_str(), backup.c_str()) != 0)
            break; // the temporary file stays; the next rewrite empties it
        if (!injectFailure(RewriteStep::RenameToDatabase) && std::rename(temp.c_str(), m_fileName.c_str()) == 0) {
            syncPath(folderOf(m_fileName), true);
            std::remove(backup.c_str());
            result = true;
        } else {
            std::rename(backup.c_str(), m_fileName.c_str());
        }
        syncPath(folderOf(m_fileName), true);
    } while (false);

    const std::int32_t code = m_errorCode;
    const std::string text = m_errorText;
    if (!m_open)
        open(m_fileName);
    seekTo(notePosition);
    m_current = noteCurrent;
    if (!result) {
        m_errorCode = code;
        m_errorText = text;
    }
    return result;
}

bool CDatabase::copyRange(std::ostream* target, std::uint64_t from, std::uint64_t to)
{
    if (!target || !m_hasFile || m_file.bad())
        return false;
    seekTo(from);
    if (!m_hasFile)
        return false;
    char buffer[1 << 16];
    std::uint64_t position = from;
    for (;;) {
        if (to != 0 && position >= to)
            return true;
        std::size_t want = sizeof buffer;
        if (to != 0 && to - position < want)
            want = std::size_t(to - position);
        m_file.read(buffer, std::streamsize(want));
        std::size_t got = std::size_t(m_file.gcount());
        if (got) {
            target->write(buffer, std::streamsize(got));
            if (!*target) {
                setError(WriteError);
                return false;
            }
            position += got;
        }
        if (got < want) {
            if (m_file.bad() || to != 0) {
                setError(ReadError);
                return false;
            }
            return true;
        }
    }
}

void CDatabase::close()
{
    m_entries.clear();
    if (m_file.is_open())
        m_file.close();
    m_file.clear();
    m_hasFile = false;
    m_current = 0;
    m_position = 0;
    m_open = false;
    m_stale = false;
    m_reader.discardBuffer();
}

void CDatabase::getError(std::int32_t& code, std::string& text) const
{
    code = m_errorCode;
    text = m_errorText;
}

std::string CDatabase::toString() const
{
    return std::string(ToStringText);
}

void CDatabase::toFile(std::ostream& file) const
{
    file << ToFileText;
}

std::string_view CDatabase::errorTemplate(std::int32_t code)
{
    switch (code) {
    case NoError: return "";
    case FileNotFound: return "File not found %s";
    case CannotWrite: return "Could not open for writing %s";
    case CannotAppend: return "Could not open for appending %s";
    case ReadError: return "Error while reading";
    case WriteError: return "Error while writing";
    case ParseError: return "Error while parsing";
    case SeekFailed: return "Seek failed";
    case OutOfMemory: return "Out of memory";
    default: return "Unknown error";
    }
}

void CDatabase::setError(std::int32_t code, std::string_view argument)
{
    m_errorCode = code;
    // A negative code has no template either.
    if (code >= UnknownError || code < 0) {
        m_errorText = "Unknown error";
        return;
    }
    std::string_view pattern = errorTemplate(code);
    try {
        std::string text;
        text.reserve(pattern.size() + argument.size() + 20);
        std::size_t hole = pattern.find("%s");
        if (hole == std::string_view::npos) {
            text = pattern;
        } else {
            text.append(pattern.substr(0, hole));
            text.append(argument);
            text.append(pattern.substr(hole + 2));
        }
        m_errorText = std::move(text);
    } catch (const std::bad_alloc&) {
        m_errorCode = OutOfMemory;
        m_errorText = "Out of memory";
    }
}

} // namespace qm
