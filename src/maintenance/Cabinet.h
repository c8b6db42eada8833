#pragma once

#include <QByteArray>
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
struct CabinetSource {
    QString name;
    QString path;
};

// One entry of an archive, as stored.
struct CabinetEntry {
    QString name;
    qint64 size = 0;
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
// failure nothing is left at `path` but what stood there before.
void WriteCabinet(const QString &path, const std::vector<CabinetSource> &entries, ProgressSink &progress);

// The entries of an archive, in archive order. Fails on a file that is not a cabinet, a
// truncated or damaged one, or one of a multi-part set.
std::vector<CabinetEntry> ReadCabinet(const QString &path);

// Called before each entry is decompressed: its position (from 0), the number of entries and
// its stored name.
using ExtractionCallback = std::function<void(int index, int count, const QString &storedName)>;

// Writes every usable entry into `targetDir` under the last component of its name, replacing a
// file of that name. Each entry is decompressed into a work file first and takes its real name
// only once the whole archive has been read back, so a failed extraction leaves no partial
// file under a real name. Entries whose bare name is unusable are skipped and listed.
ExtractionResult ExtractCabinet(const QString &path, const QString &targetDir, const ExtractionCallback &onEntry = {});

// One file of an archive as read back, or as packed: its stored name, its size and the
// SHA-256 digest of its contents.
struct CabinetEntryDigest {
    QString name;
    qint64 size = 0;
    QByteArray sha256;
};

// The digest of a file about to be packed under `name`. Throws Error when it cannot be read.
CabinetEntryDigest DigestFile(const QString &name, const QString &path);

// Reads an archive back whole: every entry, whatever its name, is decompressed into a work
// file of `workDir` (removed at once), checked against its declared size and hashed. The
// entries come in archive order. Throws Error (French) when the archive does not read to its
// end: not a cabinet, truncated, a block whose checksum or data is wrong.
std::vector<CabinetEntryDigest> ReadBackCabinet(const QString &path, const QString &workDir);

// Reads an archive back whole and compares it with what was packed: the same entries in the
// same order, each of the same size and digest. Throws Error naming the first difference.
void CheckCabinetReadsBack(const QString &path, const std::vector<CabinetEntryDigest> &packed, const QString &workDir);

// The last component of a stored entry name ("dir1\file1" → "file1"), with a drive letter
// removed; an empty text when nothing usable is left ("", ".", "..", "\").
QString BareEntryName(const QString &storedName);

} // namespace vivrelo
