// The cabinet reader over any bytes: listing and extracting either succeed or refuse with an
// Error, and an extraction writes nothing but bare names into its target folder and leaves no
// work file behind.
#include "base/Error.h"
#include "maintenance/Cabinet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace vivrelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir root;
    const QString archive = root.path() + QStringLiteral("/archive.bkp");
    const QString target = root.path() + QStringLiteral("/target/");
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    QDir(target).removeRecursively();
    QDir().mkpath(target);

    try {
        ReadCabinet(archive);
    } catch (const Error &) { }
    QStringList written;
    try {
        const ExtractionResult result = ExtractCabinet(archive, target);
        for (const ExtractedEntry &e : result.extracted) {
            if (e.fileName != BareEntryName(e.storedName) || e.fileName.isEmpty())
                std::abort();
            written << e.fileName;
        }
    } catch (const Error &) { }
    // Only the named entries stand in the target folder, and nothing was written beside it.
    for (const QString &name : QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        if (!written.contains(name))
            std::abort();
    if (QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size() != 2)
        std::abort();

    // Names as an archive may store them: the bare name is one harmless component.
    const QString stored =
        QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(std::min<std::size_t>(size, 300)));
    const QString bare = BareEntryName(stored);
    if (bare.contains(QLatin1Char('/')) || bare.contains(QLatin1Char('\\')) || bare == QLatin1String(".")
        || bare == QLatin1String(".."))
        std::abort();
    return 0;
}
