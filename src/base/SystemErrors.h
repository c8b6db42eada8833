#pragma once

#include <QFileDevice>
#include <QString>

#include <exception>

namespace vivrelo {

// Engine and system errors told to the user in French: what failed, what was kept, and where
// it helps the engine's own text in parentheses:
//   "La base de données est utilisée par un autre programme ; rien n'a été modifié."
// The causes are chosen by error code, never by the engine's English text.

// What the usual failed operation kept: nothing was changed.
QString NothingChanged();

// "cause ; kept." followed by " (engine text)" when an engine text is given.
QString ExplainFailure(const QString &cause, const QString &kept, const QString &engineText = {});

// The cause of a file-system failure from its error number ("Le disque est plein");
// an empty text for 0 or a number without a French cause of its own.
QString FileSystemErrorCause(int errorNumber);
// A whole sentence for an error number; an unknown number keeps the system's text in
// parentheses after a general cause.
QString FileSystemErrorText(int errorNumber, const QString &kept = NothingChanged());
// The same for a failed QFile operation: errorNumber is errno read right after the failure
// (it tells more than the device's error kind); 0 when unknown.
QString FileDeviceErrorText(const QFileDevice &file, int errorNumber, const QString &kept = NothingChanged());

// The French text of an exception that is not one of the system's own (out of memory, …).
QString UnexpectedErrorText(const std::exception &e);

} // namespace vivrelo
