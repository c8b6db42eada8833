#pragma once

#include <QString>

namespace vivrelo {

class ProgressSink;

// What an archive would give back.
struct ArchiveCheck {
    int entries = 0;
    qint64 bytes = 0; // of all entries, decompressed
    int products = 0; // in its database
    int pictures = 0; // "*.jpg" entries, which a restore puts in place
    bool accessDatabase = false; // an older installation's database, converted by a restore
};

// Reads an archive whole without restoring it: every entry decompressed (sizes and block
// checksums checked) into a temporary folder, its database found, converted when it is an
// Access one, and opened read-only and checked as a restore checks it. Throws Error (French)
// saying why a restore would fail; nothing of the data directory is read or changed.
ArchiveCheck VerifyArchive(const QString &archivePath, ProgressSink &progress);

} // namespace vivrelo
