#pragma once

#include <QString>

namespace vivrelo {

// The options and the main window's layout kept between runs, in the order the file holds
// them (sections Properties, Windows, Scan).
struct Settings {
    bool firstLaunch = true;
    bool testMdac = false;
    bool splash = true;
    int sortId = 0;
    bool hideBigFontMsg = false;
    bool showCalendar = false;
    int left = -1;
    int top = -1;
    int width = -1; // negative: no saved layout
    int height = -1;
    QString state; // "wsNormal", "wsMinimized" or "wsMaximized"
    bool style = false;
    QString twainSource;
    bool showTwainUI = false;
    int maxWidth = 5000;
    int jpegQuality = 100;
};

// The process-wide settings record.
Settings &AppSettings();

// The settings file's name: the executable's lower-cased name + ".ini" ("vivrelo.ini").
// The command line passes that name itself, so that both faces share one file.
QString SettingsFileName();

// Reads the file at `path` into AppSettings(); a missing file, key or malformed value
// gives the default. Never fails.
void LoadSettings(const QString &path);
// Writes AppSettings() into the file at `path`, keeping every other key of the file.
// Returns an empty text on success, else the message to show ("Impossible d'écrire dans
// <path>"); the file is then left as it was.
QString SaveSettings(const QString &path);

} // namespace vivrelo
