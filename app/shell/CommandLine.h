#pragma once
// The program's command line.

#include "platform/Geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace qm {

struct CCommandLine {
    std::optional<Size> screen;  // --screen WxH
    std::string scriptFile;      // --script FILE
    std::string screenshotFile;  // --screenshot FILE
    std::string document;        // a file to open (".obk" or ".pgn")
    bool help = false;           // --help
    std::string error;           // set when the line is not usable

    static CCommandLine parse(const std::vector<std::string>& args);
};

// The usage text printed by --help and after a usage error.
std::string usageText();

enum class DocumentKind { None, Book, Pgn, Other };

// What a document argument names. The argument may carry the double quotes
// of a desktop's "%1" (they are removed); a relative path is made absolute,
// so the stored name still works from another folder. `path` receives the
// cleaned path.
DocumentKind classifyDocument(const std::string& argument, std::string& path);

} // namespace qm
