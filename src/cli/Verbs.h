#pragma once

#include <QStringList>

#include <functional>
#include <vector>

namespace vivrelo::cli {

// One verb of the command line: its name, a one-line usage and the function that runs it
// with the arguments after the verb. The function returns the process's exit status.
struct Verb {
    const char *name;
    const char *usage;
    std::function<int(const QStringList &args)> run;
    // The verb draws pages (fonts, PDF): it runs under a GUI application on the offscreen
    // platform instead of a core application.
    bool drawsPages = false;
};

// Every verb the companion knows, in the order the help lists them.
const std::vector<Verb> &AllVerbs();

// print-list --column N --pdf FILE: the current list priced with column N into a PDF file.
int PrintListVerb(const QStringList &args);
// The verbs, each defined beside the code it runs.
Verb UpgradeVerb();
Verb TickLowStockVerb();
Verb ExportCsvVerb();
Verb ImportCsvVerb();
// import-jet FILE [--replace]: converts an Access database into the user's database.
int RunImportJet(const QStringList &args);

// Options shared by the verbs: "--name VALUE" pairs and bare flags.
struct Options {
    QStringList positional;
    QStringList flags; // "--replace", "--backup", ...
    QList<QPair<QString, QString>> values;
    bool has(const QString &flag) const { return flags.contains(flag); }
    QString value(const QString &name, const QString &def = {}) const;
};
// Splits the arguments; the names in `withValue` take the next argument as their value.
// An unknown option is an error (returns false with a French message in `error`).
bool ParseOptions(const QStringList &args, const QStringList &withValue, const QStringList &bareFlags, Options &options,
    QString &error);

} // namespace vivrelo::cli
