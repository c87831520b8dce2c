#pragma once
// Registration of ".pgn", ".obk" and ".qme" with the desktop: a freedesktop
// desktop entry and a shared MIME-info package under the user's data folder.

#include <filesystem>
#include <string>

namespace qm {

// $XDG_DATA_HOME, else $HOME/.local/share; empty when neither is set.
std::filesystem::path userDataFolder();

// The text of the desktop entry that opens files with `program`.
std::string desktopEntryText(const std::filesystem::path& program);
// The text of the MIME package naming the three file types.
std::string mimePackageText();

// Writes <data>/applications/quillmarsh.desktop and
// <data>/mime/packages/quillmarsh.xml. A file already holding the same text
// is left alone; a changed one is replaced atomically. False when a file
// could not be written (start-up goes on regardless).
bool registerFileTypes(const std::filesystem::path& dataFolder, const std::filesystem::path& program);

// Writes text to file through a temporary file and a rename, creating the
// folder; does nothing when the file already holds exactly that text.
bool writeFileIfChanged(const std::filesystem::path& file, const std::string& text);

} // namespace qm
