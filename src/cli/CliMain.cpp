// The command-line companion: core operations without windows, for scripts and scheduled
// jobs. It uses the program's data directory, configuration and single-instance lock,
// prints French messages and exits non-zero on any failure.
#include "base/Error.h"
#include "cli/MaintenanceVerbs.h"
#include "cli/ReportVerb.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

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

bool ParseOptions(const QStringList &args, const QStringList &withValue, const QStringList &bareFlags, Options &options,
    QString &error)
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
        UpgradeVerb(),
        {"backup",
            "backup [FICHIER] [--replace]   sauvegarde de la base et des images (--replace : remplace une "
            "archive existante)",
            BackupVerb},
        {"restore", "restore FICHIER    restauration d'une sauvegarde", RestoreVerb},
        {"compact", "compact            compactage de la base de données", CompactVerb},
        {"history", "history            historique des sauvegardes", HistoryVerb},
        {"report", "report --pdf FICHIER [--order COLONNE]   liste des produits en PDF", ReportVerb, true},
        {"print-list",
            "print-list (--column N | --by-shop) --pdf FICHIER   la liste courante en PDF (prix de la colonne N, 1 à "
            "3, "
            "ou répartie par magasin)",
            PrintListVerb, true},
        {"import-jet", "import-jet FICHIER [--replace]   convertit une base Access en base du programme", RunImportJet},
        TickLowStockVerb(),
        ExportCsvVerb(),
        ImportCsvVerb(),
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

static const Verb *FindVerb(const QString &name)
{
    for (const Verb &v : AllVerbs())
        if (name == QLatin1String(v.name))
            return &v;
    return nullptr;
}

int main(int argc, char **argv)
{
    const Verb *verb = argc > 1 ? FindVerb(QString::fromLocal8Bit(argv[1])) : nullptr;
    std::unique_ptr<QCoreApplication> app;
    if (verb && verb->drawsPages) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    const QStringList args = app->arguments().mid(1);
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
