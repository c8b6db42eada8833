#pragma once

// The data conversions an upgrade script can ask for besides its statements: stored
// statistics and query scripts loaded from the old tree files or edited in place, and
// pictures of blob columns moved out into JPEG files, resized or re-encoded.

#include <QString>
#include <QStringList>

namespace vivrelo {

class Connection;
class DataSet;
class ProgressSink;

// What a conversion works with while a script runs.
struct ConversionContext {
    DataSet &query; // the script's query, on the connection being upgraded
    QString logPath; // the upgrade log
    QString programDir; // tree files "Stat/StatTree.def" and "Query/QueryTree.def"
    QString databaseDir; // JPEG files go to databaseDir + "Images/"
    ProgressSink &progress; // pumped while pictures are converted
};

// The command words of the conversions, in the order a script line is searched for them.
const QStringList &ConversionWords();

// Runs the conversion named by `word` (one of ConversionWords()) on the script line. Every
// error of the command is caught: it ends that command only and is logged with its closing
// line, " (error : message)". Rows converted before the error stay converted.
void RunConversion(ConversionContext &context, const QString &word, const QString &line);

// The quoted arguments of a picture command, "Word('A','B','C')": each cut at its first
// delimiter with one quote dropped on each side. Throws Error when the line has fewer.
QStringList QuotedArguments(const QString &line, int count);

} // namespace vivrelo
