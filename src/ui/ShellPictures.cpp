#include "ui/ShellPictures.h"

#include <QDir>

// The resource file is compiled into a static library: its registration must be pulled in
// by hand, from the global namespace.
static void RegisterShellResources()
{
    Q_INIT_RESOURCE(vivrelo);
}

namespace vivrelo {

void InitShellResources()
{
    static const bool done = [] {
        RegisterShellResources();
        return true;
    }();
    Q_UNUSED(done);
}

QPixmap ShellPicture(const QString &name)
{
    InitShellResources();
    return QPixmap(QStringLiteral(":/pictures/") + name + QStringLiteral(".png"));
}

} // namespace vivrelo
