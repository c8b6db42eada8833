#include "base/DataFiles.h"

#include "base/AppValues.h"
#include "base/Paths.h"

namespace vivrelo {

QString DevelopmentMarkerPath()
{
    return App().programDir + AppBaseName() + QStringLiteral(".dpr");
}

bool FetchDataFile(const QString &name)
{
    const QString relative = NativePath(name);
    const QString target = App().dataDir + relative;
    if (FileExists(target))
        return true;
    const QString programDir = App().programDir;
    for (const QString &folder :
        {programDir, programDir + QStringLiteral("Ressources/DB/"), programDir + QStringLiteral("Maj/")}) {
        if (FileExists(folder + relative))
            return CopyFileNoReplace(folder + relative, target);
    }
    return false;
}

} // namespace vivrelo
