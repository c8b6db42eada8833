// print-list: the shopping list of the user's database put into a PDF file, with the same
// drawing as the printed list of the program.
#include "app/DataStart.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "printing/PrintedListData.h"

#include <QDir>
#include <QFileInfo>

namespace vivrelo::cli {

int PrintListVerb(const QStringList &args)
{
    const QString usage = QStringLiteral("Usage : vivrelo-cli print-list (--column N | --by-shop) --pdf FICHIER");
    Options options;
    QString error;
    if (!ParseOptions(args, {QStringLiteral("--column"), QStringLiteral("--pdf")}, {QStringLiteral("--by-shop")},
            options, error)) {
        err() << error << Qt::endl;
        return 2;
    }
    const bool byShop = options.has(QStringLiteral("--by-shop"));
    const QString columnText = options.value(QStringLiteral("--column"));
    bool ok = false;
    const int column = columnText.toInt(&ok);
    if (byShop && !columnText.isEmpty()) {
        err() << usage << Qt::endl;
        return 2;
    }
    if (!byShop && (!ok || column < 1 || column > 3)) {
        err() << "La colonne de prix doit être 1, 2 ou 3 (--column N)." << Qt::endl;
        return 2;
    }
    const QString pdf = options.value(QStringLiteral("--pdf"));
    if (pdf.isEmpty() || !options.positional.isEmpty()) {
        err() << usage << Qt::endl;
        return 2;
    }
    const QString target = QFileInfo(pdf).absoluteFilePath();

    TerminalPrompter prompter(Answer::No);
    TerminalProgress progress;
    const StartupState session = StartSession(prompter, progress, StandardStartupHooks());
    if (session.stop)
        return 1; // the reason is already on the terminal
    struct Closing {
        ~Closing() { CloseDataModules(); }
    } closing;
    TDataModule1 *dm = RunningDataModules().main.get();
    if (!dm || !dm->ADOConnection1.isOpen()) {
        err() << "La base de données n'est pas ouverte : la liste n'a pas été enregistrée." << Qt::endl;
        return 1;
    }
    if (byShop)
        PrintShopSplitToPdf(*dm, target);
    else
        PrintShoppingListToPdf(*dm, column, target);
    out() << "Liste enregistrée dans " << QDir::toNativeSeparators(target) << Qt::endl;
    return 0;
}

} // namespace vivrelo::cli
