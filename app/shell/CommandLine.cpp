#include "app/shell/CommandLine.h"

#include "app/shell/ScreenLayouts.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace qm {

std::string usageText()
{
    return "usage: quillmarsh [--screen WxH] [--script FILE | --screenshot FILE] [FILE.pgn | FILE.obk]\n"
           "  --screen WxH       the handheld screen to show, e.g. 240x320 or 480x640\n"
           "  --script FILE      run the program driven by the lines of FILE\n"
           "  --screenshot FILE  start, paint, write the screen as PNG to FILE and exit\n"
           "script lines:\n"
           "  tap X Y | drag X1 Y1 X2 Y2 | hold X Y   pen input at client pixels\n"
           "  key Left|Right|Up|Down|Enter|Ctrl+N|Ctrl+S|Ctrl+Q   command ID\n"
           "  answer OK|Cancel|Yes|No|ID|Queen|Rook|Bishop|Knight|at X Y\n"
           "                     closes the next box or dialog: a button, a control id, a\n"
           "                     promotion piece, or a pen-up at a point of the promotion dialog\n"
           "  choose ID TEXT     the dialog the next answer closes gets TEXT chosen in list ID\n"
           "  wait MS | wait-idle | screenshot FILE | expect-fen FEN | set NAME VALUE | quit\n"
           "  print fen|pgn|status|title|popup\n";
}

CCommandLine CCommandLine::parse(const std::vector<std::string>& args)
{
    CCommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                line.error = a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        if (a == "--help" || a == "-h") {
            line.help = true;
        } else if (a == "--screen") {
            std::string v;
            if (!value(v))
                return line;
            line.screen = parseScreenSize(v);
            if (!line.screen) {
                line.error = "--screen wants WIDTHxHEIGHT, e.g. 240x320, not \"" + v + "\"";
                return line;
            }
        } else if (a == "--script") {
            if (!value(line.scriptFile))
                return line;
        } else if (a == "--screenshot") {
            if (!value(line.screenshotFile))
                return line;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            line.error = "unknown option " + a;
            return line;
        } else if (!line.document.empty()) {
            line.error = "only one file can be opened";
            return line;
        } else {
            line.document = a;
        }
    }
    if (!line.scriptFile.empty() && !line.screenshotFile.empty())
        line.error = "--script and --screenshot cannot be used together";
    return line;
}

DocumentKind classifyDocument(const std::string& argument, std::string& path)
{
    std::string p = argument;
    if (p.size() >= 2 && p.front() == '"' && p.back() == '"')
        p = p.substr(1, p.size() - 2);
    path.clear();
    if (p.empty())
        return DocumentKind::None;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(p, ec);
    path = ec ? p : absolute.lexically_normal().string();
    std::string ext = std::filesystem::path(p).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".obk")
        return DocumentKind::Book;
    if (ext == ".pgn")
        return DocumentKind::Pgn;
    return DocumentKind::Other;
}

} // namespace qm
