// The command-line companion: core operations without windows, for scripts and scheduled
// jobs. It uses the program's data directory, configuration and single-instance lock,
// prints French messages and exits non-zero on any failure.
#include "app/Error.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"

#include <QCoreApplication>

using namespace vivrelo;
using namespace vivrelo::cli;

namespace vivrelo::cli {

QString Options::value(const QString &name, const QString &def) const
{
    for (const auto &v : values)
        if (v.first == name)
            return v.second;
    return def;
}

bool ParseOptions(const QStringList &args, const QStringList &withValue, const QStringList &bareFlags,
                  Options &options, QString &error)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (!a.startsWith(QStringLiteral("--"))) {
            options.positional << a;
        } else if (withValue.contains(a)) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("L'option %1 attend une valeur.").arg(a);
                return false;
            }
            options.values.append({a, args.at(++i)});
        } else if (bareFlags.contains(a)) {
            options.flags << a;
        } else {
            error = QStringLiteral("Option inconnue : %1").arg(a);
            return false;
        }
    }
    return true;
}

const std::vector<Verb> &AllVerbs()
{
    static const std::vector<Verb> verbs = {
        {"import-jet", "import-jet FICHIER [--replace]", RunImportJet},
    };
    return verbs;
}

} // namespace vivrelo::cli

static void usage()
{
    out() << "Usage : vivrelo-cli COMMANDE [OPTIONS]\n\nCommandes :\n";
    for (const Verb &v : AllVerbs())
        out() << "  " << v.usage << "\n";
    out() << "  --help\n";
    out().flush();
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("help")) {
        usage();
        return args.isEmpty() ? 2 : 0;
    }
    for (const Verb &v : AllVerbs()) {
        if (args.first() == QLatin1String(v.name)) {
            try {
                return v.run(args.mid(1));
            } catch (const Error &e) {
                err() << "Erreur : " << TerminalText(e.message()) << Qt::endl;
                return 1;
            } catch (const std::exception &e) {
                err() << "Erreur : " << e.what() << Qt::endl;
                return 1;
            }
        }
    }
    err() << "Commande inconnue : " << args.first() << Qt::endl;
    usage();
    return 2;
}
