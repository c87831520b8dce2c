#pragma once
// The artwork generator's four groups of bitmaps. Each writes its PNG files,
// named by resource number, into dir and returns false when a font it needs
// is missing or a file cannot be written.

#include <QString>

namespace artgen {

bool writePieceSets(const QString& dir);
bool writeTextures(const QString& dir);
bool writeCoordinateStrips(const QString& dir);
bool writeIcons(const QString& dir);

} // namespace artgen
