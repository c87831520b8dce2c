#include "app/shell/FileTypes.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace qm {

std::filesystem::path userDataFolder()
{
    if (const char* d = std::getenv("XDG_DATA_HOME"); d && *d == '/')
        return d;
    if (const char* h = std::getenv("HOME"); h && *h)
        return std::filesystem::path(h) / ".local" / "share";
    return {};
}

namespace {

// Exec argument quoting of the desktop entry format: the argument in double
// quotes with ", `, $ and \ escaped by a backslash, % doubled; then the
// backslashes escaped once more for the string value.
std::string execQuoted(const std::string& arg)
{
    std::string quoted = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string out;
    for (char c : quoted) {
        if (c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

// Line breaks in a value would start a new key.
std::string oneLine(std::string s)
{
    for (char& c : s)
        if (c == '\n' || c == '\r')
            c = ' ';
    return s;
}

} // namespace

std::string desktopEntryText(const std::filesystem::path& program)
{
    std::ostringstream o;
    o << "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Quillmarsh\n"
         "GenericName=Chess\n"
         "Comment=Play chess against an engine, replay and annotate games, keep PGN databases\n"
      << "Exec=" << oneLine(execQuoted(program.string())) << " %f\n"
      << "TryExec=" << oneLine(program.string()) << "\n"
         "Terminal=false\n"
         "Categories=Game;BoardGame;\n"
         "MimeType=application/x-chess-pgn;application/x-quillmarsh-openingbook;"
         "application/x-quillmarsh-chessengine;\n";
    return o.str();
}

std::string mimePackageText()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"application/x-chess-pgn\">\n"
           "    <comment>Portable Game Notation file</comment>\n"
           "    <glob pattern=\"*.pgn\"/>\n"
           "  </mime-type>\n"
           "  <mime-type type=\"application/x-quillmarsh-openingbook\">\n"
           "    <comment>Quillmarsh Openingbook</comment>\n"
           "    <glob pattern=\"*.obk\"/>\n"
           "  </mime-type>\n"
           "  <mime-type type=\"application/x-quillmarsh-chessengine\">\n"
           "    <comment>Quillmarsh Chessengine</comment>\n"
           "    <glob pattern=\"*.qme\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

bool writeFileIfChanged(const std::filesystem::path& file, const std::string& text)
{
    {
        std::ifstream in(file, std::ios::binary);
        if (in) {
            const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == text)
                return true;
        }
    }
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::filesystem::path tmp = file;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << text;
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::filesystem::rename(tmp, file, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

bool registerFileTypes(const std::filesystem::path& dataFolder, const std::filesystem::path& program)
{
    if (dataFolder.empty() || program.empty())
        return false;
    const bool entry = writeFileIfChanged(dataFolder / "applications" / "quillmarsh.desktop", desktopEntryText(program));
    const bool mime = writeFileIfChanged(dataFolder / "mime" / "packages" / "quillmarsh.xml", mimePackageText());
    return entry && mime;
}

} // namespace qm
