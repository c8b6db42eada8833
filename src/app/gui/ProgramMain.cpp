#include "app/gui/ProgramMain.h"

#include "app/AppValues.h"

#include <QApplication>
#include <QDir>
#include <QLabel>

namespace vivrelo {

int ProgramMain(int argc, char **argv)
{
    QApplication app(argc, argv);
    InitApplicationValues(QDir::currentPath());
    QLabel label(App().productName + QStringLiteral(" ") + App().productVersion);
    label.setObjectName(QStringLiteral("MainForm"));
    label.resize(801, 600);
    label.show();
    return app.exec();
}

} // namespace vivrelo
