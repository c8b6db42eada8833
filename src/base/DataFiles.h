#pragma once

#include <QString>

namespace vivrelo {

// The marker of a development copy: program directory + the executable's name + ".dpr".
QString DevelopmentMarkerPath();

// Copies `name` (relative, stored text) into the data directory when it is missing there,
// from the program directory, then its "Ressources/DB/", then its "Maj/". Never replaces a
// file. True when the data directory holds the file afterwards.
bool FetchDataFile(const QString &name);

} // namespace vivrelo
