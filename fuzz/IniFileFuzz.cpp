// The profile-file reader over any bytes: every line is kept, a value written is read back, and
// the text written reads as the same profile.
#include "base/IniFile.h"

#include <cstdint>
#include <cstdlib>

using namespace vivrelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    IniFile profile;
    profile.parse(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    profile.readInteger(QStringLiteral("Properties"), QStringLiteral("Left"), 7);
    profile.readBool(QStringLiteral("Windows"), QStringLiteral("Maximized"), true);

    const QByteArray written = profile.toBytes();
    IniFile again;
    again.parse(written);
    if (again.toBytes() != written)
        std::abort();

    // A value set under an existing or a new name reads back as written, beside the others.
    const QString key = QStringLiteral("Clé");
    const QString value = QStringLiteral("C:\\Données\\");
    for (const QString &section : {QStringLiteral("Properties"), QStringLiteral("Nouvelle")}) {
        again.setValue(section, key, value);
        IniFile reread;
        reread.parse(again.toBytes());
        if (reread.value(section, key) != value)
            std::abort();
    }
    return 0;
}
