#pragma once
// CRegistrySettings: the settings store of Quillmarsh on Linux.
//
// One key path is one text file that a person can read and edit:
//   <root>/software/Brindlewick/Quillmarsh/Settings.conf
// for the key path "software\Brindlewick\Quillmarsh\Settings". Each line is
//   NAME = TYPE VALUE
// with TYPE one of int, double, string, binary, wide; strings are quoted with
// C-style escapes (\" \\ \n \r \t \xHH), binary values are hex digits. Lines
// starting with '#' are comments.
//
// Every operation reads the file (or rewrites it) and keeps nothing open
// between calls. A write replaces the file atomically (temporary file in the
// same folder, flushed and synced, then renamed), so a crash leaves either
// the old or the new file. A damaged file loses only its damaged lines: a
// line that does not parse is skipped, a last line without its line end is
// taken as cut short and skipped, of duplicate names the last line wins, and
// a value of another type than asked reads as absent. The next write saves
// a clean file holding everything that could be read, and keeps the damaged
// file beside it as NAME.conf.damaged.

#include "app/settings/Settings.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace qm {

class CRegistrySettings : public CSettings {
public:
    // The key path of the program's settings.
    static constexpr std::string_view SettingsKey = "software\\Brindlewick\\Quillmarsh\\Settings";
    // A String value longer than this reads as absent.
    static constexpr std::size_t MaxStringBytes = 1023;

    // root: the folder holding every key path; keyPath: components separated
    // by '\' (or '/'); a component that cannot be a file name is escaped.
    CRegistrySettings(std::filesystem::path root, std::string_view keyPath);

    // $XDG_CONFIG_HOME/quillmarsh, else $HOME/.config/quillmarsh, else
    // ./.config/quillmarsh when not even HOME is set.
    static std::filesystem::path defaultRoot();

    // The file that holds the values of this key path.
    const std::filesystem::path& filePath() const { return m_file; }

    bool getInt(std::string_view name, std::int32_t& out) override;
    bool getDouble(std::string_view name, double& out) override;
    bool getString(std::string_view name, std::string& out) override;
    bool getBinary(std::string_view name, void* buffer, std::size_t& size) override;

    void setInt(std::string_view name, std::int32_t value) override;
    void setDouble(std::string_view name, double value) override;
    void setString(std::string_view name, std::string_view value) override;
    void setBinary(std::string_view name, const void* data, std::size_t size) override;

    // A text value of 16-bit characters, stored as UTF-8 (type wide).
    void setWideString(std::string_view name, std::u16string_view text);
    bool getWideString(std::string_view name, std::u16string& out);

private:
    enum class Type { Int, Double, String, Binary, Wide };
    struct Value;
    bool read(std::string_view name, Type type, Value& out) const;
    void write(std::string_view name, Value value);

    std::filesystem::path m_file;
};

} // namespace qm
