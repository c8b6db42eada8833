#include "cli/ReportVerb.h"

#include "app/DataStart.h"
#include "base/Error.h"
#include "cli/Session.h"
#include "cli/Terminal.h"
#include "cli/Verbs.h"
#include "printing/ReportModule.h"

#include <QDir>
#include <QFileInfo>

namespace vivrelo::cli {

int ReportVerb(const QStringList &args)
{
    Options options;
    QString error;
    if (!ParseOptions(args, {QStringLiteral("--pdf"), QStringLiteral("--order")}, {}, options, error)
        || !options.positional.isEmpty()) {
        err() << (error.isEmpty() ? QStringLiteral("Argument inattendu : %1").arg(options.positional.value(0)) : error)
              << Qt::endl;
        return 2;
    }
    const QString pdf = options.value(QStringLiteral("--pdf"));
    if (pdf.isEmpty()) {
        err() << "Indiquez le fichier PDF à écrire : report --pdf FICHIER" << Qt::endl;
        return 2;
    }
    const QString target = QFileInfo(pdf).absoluteFilePath();

    TerminalPrompter prompter(Answer::No);
    TerminalProgress progress;
    StartupState state = StartSession(prompter, progress, StandardStartupHooks());
    if (state.stop)
        return 1;
    struct Closer {
        ~Closer() { CloseDataModules(); }
    } closer;
    TDataModuleReport module(*RunningDataModules().main);

    int pages = 0;
    bool written = false;
    RunItemsListReport(
        module, options.value(QStringLiteral("--order"), QStringLiteral("Title")), prompter, [&](ReportRun &run) {
            WriteReportPdf(run.prepared, target);
            written = true;
            pages = run.prepared.pageCount();
        });
    if (!written)
        return 1; // the empty catalogue has been told
    out() << TerminalText(
        QStringLiteral("Rapport enregistré : %1 (%2 page(s))").arg(QDir::toNativeSeparators(target)).arg(pages))
          << Qt::endl;
    return 0;
}

} // namespace vivrelo::cli
