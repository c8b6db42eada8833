#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <vector>

namespace vivrelo {

class ProgressSink;

// Backup archives are Microsoft Cabinet files: one cabinet, one folder, MSZIP, set id 0.
// Every routine here reports failures as vivrelo::Error with a French message.

// A cabinet folder holds at most 65,535 data blocks of 32 KiB: the most an archive can hold.
inline constexpr qint64 MaxCabinetDataBytes = 65535LL * 32768LL;

// One file to put in an archive: its name inside the archive and the file it is read from.
// `nativePath`, when set, is the file's path as the file system spells it, for a name that is
// not UTF-8 and so has no exact QString form; `path` is then only shown.
struct CabinetSource {
    QString name;
    QString path;
    QByteArray nativePath = {};
};

// One entry of an archive, as stored.
struct CabinetEntry {
    QString name;
    qint64 size = 0;
    QDateTime modified; // the file's date and time as stored (local time, to the 2 seconds)
};

struct ExtractedEntry {
    QString storedName;
    QString fileName; // the bare name it was written under in the target folder
    qint64 size = 0;
};

struct SkippedEntry {
    QString storedName;
    QString reason;
};

struct ExtractionResult {
    std::vector<ExtractedEntry> extracted; // in the order they were written
    std::vector<SkippedEntry> skipped;
};

// Writes the archive at `path` with the entries in the given order, reading each file from
// disk as it goes. Refuses more data than one folder holds before anything is written. On
// failure nothing is left at `path` but what stood there before. Progress counts kibibytes
// read from the files, so that a large database moves the bar while it is compressed; the
// task is "Compression : " + the entry's name. Messages name `shownPath` when given (the
// archive the user chose, when `path` is a work file).
void WriteCabinet(const QString &path, const std::vector<CabinetSource> &entries, ProgressSink &progress,
    const QString &shownPath = {});

// The entries of an archive, in archive order. Fails on a file that is not a cabinet, a
// truncated or damaged one, or one of a multi-part set. Messages name `shownPath` when given.
std::vector<CabinetEntry> ReadCabinet(const QString &path, const QString &shownPath = {});

// Called before each entry is decompressed: its position (from 0), the number of entries and
// its stored name.
using ExtractionCallback = std::function<void(int index, int count, const QString &storedName)>;

// Writes every usable entry into `targetDir` under the last component of its name, replacing a
// file of that name. Each entry is decompressed into a work file first and takes its real name
// only once the whole archive has been read back, so a failed extraction leaves no partial
// file under a real name. Entries whose bare name is unusable are skipped and listed.
// Messages name `shownPath` when given.
ExtractionResult ExtractCabinet(const QString &path, const QString &targetDir, const ExtractionCallback &onEntry = {},
    const QString &shownPath = {});

// One file of an archive as read back, or as packed: its stored name, its size and the
// SHA-256 digest of its contents.
struct CabinetEntryDigest {
    QString name;
    qint64 size = 0;
    QByteArray sha256;
};

// The digest of a file about to be packed under `name` (read from `nativePath` when given, as
// CabinetSource says). Throws Error when it cannot be read.
CabinetEntryDigest DigestFile(const QString &name, const QString &path, const QByteArray &nativePath = {});

// Reads an archive back whole: every entry, whatever its name, is decompressed into a work
// file of `workDir` (removed at once), checked against its declared size and hashed. The
// entries come in archive order. Throws Error (French) when the archive does not read to its
// end: not a cabinet, truncated, a block whose checksum or data is wrong. Messages name
// `shownPath` when given.
std::vector<CabinetEntryDigest> ReadBackCabinet(
    const QString &path, const QString &workDir, const QString &shownPath = {});

// Reads an archive back whole and compares it with what was packed: the same entries in the
// same order, each of the same size and digest. Throws Error naming the first difference.
// Messages name `shownPath` when given.
void CheckCabinetReadsBack(const QString &path, const std::vector<CabinetEntryDigest> &packed, const QString &workDir,
    const QString &shownPath = {});

// The last component of a stored entry name ("dir1\file1" → "file1"), with a drive letter
// removed; an empty text when nothing usable is left ("", ".", "..", "\").
QString BareEntryName(const QString &storedName);

} // namespace vivrelo
