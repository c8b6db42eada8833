#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vivrelo {

// Stored texts (configuration values such as "Data\" or "Access\VIVRELO.MDB") keep their
// backslashes; NativePath turns one into a path of this file system. Every directory value
// the system holds is native and ends with the separator.
QString NativePath(const QString &stored);

// The text with the directory separator appended unless it already ends with one ("/" or
// "\"). An empty text gives "./", the current directory: the separator alone would name the
// root of the file system.
QString IncludeBackslash(const QString &text);

// The running executable's full path, lower-cased.
QString AppFileName();
// The executable's lower-cased base name with `suffix` ("vivrelo" + ".ini").
QString AppBaseName();

// The user's documents folder (XDG documents, created when missing) with a separator.
QString MyDocumentsDir();
// The folder programs are installed under (the install prefix) with a separator.
QString ProgramFilesDir();
// True when the folder lies on a removable medium.
bool IsOnRemovableMedium(const QString &path);

bool FileExists(const QString &path); // a plain file (not a folder)
bool DirectoryExists(const QString &path);
// Creates one level of folder; true when the folder exists afterwards.
bool CreateDirectoryLevel(const QString &path);

// Size in bytes of the first entry matching the path or mask; 0 when none.
qint64 FileSizeOf(const QString &pathOrMask);
// Names (without folder) of the plain, non-hidden files of `dir` matching `mask` (such as
// "*.jpg", compared without regard to case), in the order the file system returns them.
QStringList ListFiles(const QString &dir, const QString &mask);
// Copies every file of ListFiles(source, mask) into target, replacing files there.
// Returns false when any copy failed.
bool CopyFiles(const QString &sourceDir, const QString &targetDir, const QString &mask);
bool DeleteFiles(const QString &dir, const QString &mask);

// Copies a file; never replaces an existing target.
bool CopyFileNoReplace(const QString &source, const QString &target);
// Copies a file over its target: the copy is written beside the target and renamed into
// place, so the target is never left half-written.
bool CopyFileReplacing(const QString &source, const QString &target);

// Flushes a file's contents, or a folder's entries, to the disk; false when it could not be.
bool SyncToDisk(const QString &path);
// Gives `from` the name `to` in one step, replacing a file there, once `from`'s contents are on
// the disk; the folder is flushed after, so the new name survives a power cut. False, with
// nothing renamed, when the contents could not be flushed or the rename failed.
bool RenameDurably(const QString &from, const QString &to);

// Writes the text as lines (split at CR, LF or both), each ended by CR LF, in UTF-8.
bool SaveTextFile(const QString &path, const QString &text);
// Writes bytes to a file atomically: a crash mid-write never leaves a truncated file.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes);

// Folds the French lower-case accented letters, in this order: é è ê ë → e; à â ä → a;
// ù û ü → u; ô ö → o; î ï → i; ç → c. Upper-case letters are left as they are.
QString FoldAccents(const QString &text);

} // namespace vivrelo
