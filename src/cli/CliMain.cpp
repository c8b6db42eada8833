// The command-line companion: core operations without windows, for scripts and scheduled
// jobs. Messages are French; the exit status is non-zero on any failure.
#include "app/AppValues.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    vivrelo::InitApplicationValues(QDir::currentPath());
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QStringLiteral("--help")) {
        QTextStream(stdout) << "Usage : vivrelo-cli COMMANDE [OPTIONS]\n";
        return args.isEmpty() ? 2 : 0;
    }
    err << "Commande inconnue : " << args.first() << "\n";
    return 2;
}
