#pragma once

#include "base/Prompter.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace vivrelo {

// Writes a one-line file at `testFile` and removes it again. When the write fails, shows the
// error naming the program (`name`) and the file's folder and returns false. The test file
// never outlives the call.
bool CheckWriteRights(const QString &name, const QString &testFile, Prompter &prompter);

// True when a data-access version text is 2.5 or later: its first four characters, the first
// "," read as the decimal point, must form a whole decimal number ("2.81.1117.0" passes,
// "6.0.6001.18000" does not: "6.0." is not a number). Read with the C locale's rules.
bool DataAccessVersionTextOk(const QString &version);
// The check on the version of the database engine the program runs on.
bool DataAccessVersionOk();
// True when the database engine can be initialised; otherwise shows the engine's message
// in a plain box and returns false.
bool DataAccessAvailable(Prompter &prompter);

// Hands an address to the desktop (help page, web site). Replaceable, so that tests never
// start a browser; returns the opener that was in place.
using UrlOpener = std::function<bool(const QUrl &)>;
UrlOpener SetUrlOpener(UrlOpener opener);

// Opens the help file (program directory + "doc.html"); when it is missing, or when no
// program could open it (no xdg-open), says so.
void ShowHelpFile(Prompter &prompter);
// Opens the product's web site; says so when no program could open it.
void OpenWebSite(Prompter &prompter);

} // namespace vivrelo
