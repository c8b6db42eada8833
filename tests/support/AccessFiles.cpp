#include "support/AccessFiles.h"

#include "support/TestDirs.h"

#include <QFile>

namespace vivrelo::test {

QByteArray AccessDatabaseWithItems()
{
    QFile f(TestDataDir() + QStringLiteral("jet/testUnicodeCompV2003.mdb"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = f.readAll();
    // Names are stored as UTF-16; the first "Table" of the file is the catalogue row's name,
    // the later ones belong to the navigation pane and the indexes.
    const QByteArray from("T\0a\0b\0l\0e\0", 10), to("I\0T\0E\0M\0S\0", 10);
    const qsizetype at = bytes.indexOf(from);
    if (at < 0)
        return {};
    bytes.replace(at, from.size(), to);
    return bytes;
}

} // namespace vivrelo::test
