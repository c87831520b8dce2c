#pragma once
// CDatabase: a PGN file used as a game database, with an index in memory.
//
// open() scans the file once into one CDatabaseEntry per game (number, seven
// header values, byte range); a game is read again on demand by parsing its
// range. Games are appended at the end of a file; a game is replaced or
// deleted by rewriting the file through NAME.tmp and NAME.bak:
//   write NAME.tmp (the bytes before the range, the new game, the bytes
//   after it), sync it, rename NAME to NAME.bak, rename NAME.tmp to NAME,
//   delete NAME.bak, and index the file again.
// At every moment of this, either NAME or NAME.bak holds every game, and
// open() restores NAME from NAME.bak when it finds only the backup.
//
// The database notes the identity of its file (device, inode, size,
// modification time) when it indexes it. When the file has vanished or
// changed by other means when an operation starts, that operation and every
// later one fail (none or false) without touching any file, with error 1
// (vanished) or 4 (changed) recorded, until the database is opened again.
//
// Games handed out are new objects owned by the caller. Entries, and copies
// of them, are valid while the database lives. All operations belong to one
// thread.

#include "database/DatabaseEntry.h"
#include "database/SearchFilter.h"
#include "database/TextPool.h"

#include <cstdint>
#include <fstream>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class CGame;
class CPgnReader;

class CDatabase {
public:
    // Error codes recorded by setError; texts in errorTemplate.
    enum ErrorCode : std::int32_t {
        NoError = 0,
        FileNotFound = 1,
        CannotWrite = 2,
        CannotAppend = 3,
        ReadError = 4,
        WriteError = 5,
        ParseError = 6,
        SeekFailed = 7,
        OutOfMemory = 8,
        UnknownError = 9,
    };

    // The reader is not owned and must outlive the database.
    explicit CDatabase(CPgnReader& reader);
    virtual ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Opens the file and builds the index; the name is kept even on failure.
    virtual bool open(const std::string& name);
    virtual void setFileName(const std::string& name);
    virtual std::string fileName() const;
    // result becomes a copy of every entry that passes the criteria, in file order.
    virtual void filter(const CSearchFilter& criteria, std::vector<CDatabaseEntry>& result) const;
    virtual const std::vector<CDatabaseEntry>& entries() const;
    // The game that begins at the file's current position.
    virtual std::unique_ptr<CGame> readGameHere();
    // Step the current index (wrapping) and read that game.
    virtual std::unique_ptr<CGame> nextGame();
    virtual std::unique_ptr<CGame> previousGame();
    // Reads game n (0-based) and makes it current.
    virtual std::unique_ptr<CGame> game(std::int64_t n);
    // Appends the game's text to the named file (created when missing). The
    // index is not touched; reopen to see the game.
    virtual bool appendGame(const std::string& name, CGame& game);
    virtual bool replaceCurrentGame(CGame& game);
    virtual bool replaceGame(std::int64_t n, CGame& game);
    virtual bool deleteCurrentGame();
    virtual bool deleteGame(std::int64_t n);
    // Drops the index and closes the file; the name stays.
    virtual void close();
    virtual void getError(std::int32_t& code, std::string& text) const;
    virtual std::string toString() const;
    virtual void toFile(std::ostream& file) const;
    virtual void setError(std::int32_t code, std::string_view argument = {});
    virtual void buildIndex();

    bool isOpen() const { return m_open; }
    std::uint32_t currentIndex() const { return m_current; }
    const CTextPool& textPool() const { return *m_pool; }

    // The text of a code with "%s" in it where the argument goes.
    static std::string_view errorTemplate(std::int32_t code);

    // The steps of a rewrite, for failure injection by subclasses in tests.
    enum class RewriteStep { CreateTemporary, CopyBefore, WriteGame, CopyAfter, SyncTemporary, RenameToBackup,
                             RenameToDatabase };

protected:
    // Called before each step of a rewrite; true makes that step fail as a
    // real failure of it would. Never fails here.
    virtual bool injectFailure(RewriteStep step);

private:
    struct FileIdentity {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modified = 0; // nanoseconds
        bool operator==(const FileIdentity&) const = default;
    };
    static bool identify(const std::string& name, FileIdentity& out);

    void seekTo(std::uint64_t offset);
    bool usable();
    bool openStream();
    bool rewriteRange(std::uint32_t start, std::int32_t end, CGame* game);
    bool copyRange(std::ostream* target, std::uint64_t from, std::uint64_t to);
    bool entryIndex(std::int64_t n, std::size_t& out) const;
    std::unique_ptr<CGame> readCurrent();

    CPgnReader& m_reader;
    std::string m_fileName;
    std::ifstream m_file;
    bool m_hasFile = false; // m_file is open
    bool m_open = false;
    std::uint32_t m_current = 0;
    std::uint64_t m_position = 0; // where readGameHere reads; set by seekTo
    std::vector<CDatabaseEntry> m_entries;
    std::int32_t m_errorCode = 0;
    std::string m_errorText;
    std::unique_ptr<CTextPool> m_pool;
    FileIdentity m_identity;
    bool m_stale = false; // the file vanished or changed under the open database
};

} // namespace qm
