#include "db/Conversions.h"

#include "base/Error.h"
#include "base/Paths.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSetRoutines.h"
#include "db/Transaction.h"
#include "db/Upgrade.h"
#include "imaging/Bmp.h"
#include "imaging/Jpeg.h"
#include "imaging/PictureFitting.h"

#include <functional>

namespace vivrelo {

namespace {

const QString kConvertStatScript = QStringLiteral("ConvertStatScript");
const QString kReplaceStringInStatScript = QStringLiteral("ReplaceStringInStatScript");
const QString kConvertQueryScript = QStringLiteral("ConvertQueryScript");
const QString kReplaceStringInQueryScript = QStringLiteral("ReplaceStringInQueryScript");
const QString kExtractImageToJpeg = QStringLiteral("ExtractImageToJpeg");
const QString kExtractJpegImage = QStringLiteral("ExtractJpegImage");
const QString kResizeBitmapInDataBase = QStringLiteral("ResizeBitmapInDataBase");
const QString kConvertBitmapToJpegInDataBase = QStringLiteral("ConvertBitmapToJpegInDataBase");

QString errorSuffix(const Error &e)
{
    return UpgradeErrorText(e.message());
}

void log(const ConversionContext &context, const QString &text)
{
    AppendLogLine(context.logPath, text);
}

// The stored-script tables of one kind: statistics or queries.
struct ScriptTables {
    QString folder; // under the program directory
    QString treeFile;
    QString extension; // of a leaf's script file
    QString treeTable;
    QString queryTable;
    QString convertLog;
    QString replaceLog;
};

const ScriptTables &statTables()
{
    static const ScriptTables t{QStringLiteral("Stat/"), QStringLiteral("StatTree.def"), QStringLiteral(".stq"),
        QStringLiteral("STAT_TREE"), QStringLiteral("STAT_QUERY"), QStringLiteral("CONVERSION:Statistiques"),
        QStringLiteral("MODIFICATION:Statistiques(")};
    return t;
}

const ScriptTables &queryTables()
{
    static const ScriptTables t{QStringLiteral("Query/"), QStringLiteral("QueryTree.def"), QStringLiteral(".req"),
        QStringLiteral("SQL_TREE"), QStringLiteral("SQL_QUERY"), QStringLiteral("CONVERSION:Requêtes"),
        QStringLiteral("MODIFICATION:Requêtes(")};
    return t;
}

// Inserts one node of the tree and returns its Id.
qint64 insertTreeNode(DataSet &q, const ScriptTables &t, const QString &title, int level, int position, int type)
{
    q.close();
    q.setParameters({});
    q.setSqlText(QStringLiteral("SELECT Id, Id_File, NodeTitle, NodeLevel, NodePos, NodeType FROM ") + t.treeTable);
    q.open();
    q.append();
    q.field(QStringLiteral("Id_File")).setValue(-1);
    q.field(QStringLiteral("NodeTitle")).setValue(title.trimmed());
    q.field(QStringLiteral("NodeLevel")).setValue(level);
    q.field(QStringLiteral("NodePos")).setValue(position);
    q.field(QStringLiteral("NodeType")).setValue(type);
    q.post();
    const qint64 id = q.field(QStringLiteral("Id")).asInteger();
    q.close();
    return id;
}

// ConvertStatScript{TEXT} and ConvertQueryScript: the old tree file and its leaves' scripts
// loaded into the tables. Running it twice loads the tree twice; a guard prevents that.
void convertScripts(ConversionContext &c, const QString &line, const ScriptTables &t, bool withSuffix)
{
    try {
        QString suffix;
        if (withSuffix) {
            const qsizetype open = line.indexOf(u'{');
            const qsizetype close = line.indexOf(u'}');
            if (open < 0 || close < open)
                fail(QStringLiteral("Ligne de commande illisible : il manque « { » ou « } »."));
            suffix = u'{' + line.mid(open + 1, close - open - 1).left(kMaxScriptArgument) + u'}';
        }
        const QString folder = c.programDir + t.folder;
        if (FileExists(folder + t.treeFile)) {
            const QStringList nodes = ReadScriptLines(folder + t.treeFile);
            for (int i = 0; i < nodes.size(); ++i) {
                QString name = nodes[i];
                name.chop(2); // the two closing characters of every node line
                if (!nodes[i].startsWith(u'\t')) {
                    insertTreeNode(c.query, t, name, 0, i, 1);
                    continue;
                }
                name.remove(0, 1);
                const qint64 id = insertTreeNode(c.query, t, name, 1, i, 2);
                const QString scriptFile = folder + name + t.extension;
                if (!FileExists(scriptFile))
                    continue;
                QStringList text = ReadScriptLines(scriptFile);
                if (withSuffix) {
                    if (text.size() < 2)
                        fail(QStringLiteral("Le script « %1 » a moins de deux lignes.").arg(scriptFile));
                    text[1] += suffix;
                }
                c.query.setSqlText(QStringLiteral("SELECT Id, Id_Tree, Query FROM ") + t.queryTable);
                c.query.open();
                c.query.append();
                c.query.field(QStringLiteral("Id_Tree")).setValue(id);
                c.query.field(QStringLiteral("Query"))
                    .setValue(text.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
                c.query.post();
                c.query.close();
            }
        }
        log(c, t.convertLog + QStringLiteral(" (Ok)"));
    } catch (const Error &e) {
        c.query.close();
        log(c, t.convertLog + errorSuffix(e));
    }
}

// ReplaceStringIn…Script('OLD','NEW'): every stored script edited, case-sensitively.
void replaceInScripts(ConversionContext &c, const QString &line, const ScriptTables &t)
{
    QString text = t.replaceLog;
    try {
        const qsizetype open = line.indexOf(u'(');
        const qsizetype comma = line.indexOf(u',');
        const qsizetype close = line.indexOf(u')');
        if (open < 0 || comma < open + 3 || close < comma + 3)
            fail(QStringLiteral("Ligne de commande illisible : il faut ('ANCIEN','NOUVEAU')."));
        const QString before = line.mid(open + 2, comma - open - 3).left(kMaxScriptArgument);
        const QString after = line.mid(comma + 2, close - comma - 3).left(kMaxScriptArgument);
        text += before + u')';
        DataSet &q = c.query;
        q.close();
        q.setParameters({});
        q.setSqlText(QStringLiteral("SELECT Id, Id_Tree, Query FROM ") + t.queryTable);
        q.open();
        for (q.first(); !q.eof(); q.next()) {
            q.edit();
            const Field query = q.field(QStringLiteral("Query"));
            if (!query.isNull() && !before.isEmpty())
                query.setValue(query.asString().replace(before, after, Qt::CaseSensitive));
            q.post();
        }
        q.close();
        text += QStringLiteral(" (Ok)");
    } catch (const Error &e) {
        c.query.close();
        if (!text.endsWith(u')'))
            text += u')';
        text += errorSuffix(e);
    }
    log(c, text);
}

// The picture commands: their fixed texts.
struct PictureCommand {
    QString heading;
    QString noPictures;
    int arguments;
};

// One row of a picture command; the dataset is on the row, field 1 is the picture.
using RowConversion = std::function<void(DataSet &q, qint64 id, const QStringList &args)>;

QString jpegPath(const ConversionContext &c, const QString &prefix, qint64 id)
{
    return c.databaseDir + QStringLiteral("Images/") + prefix + QString::number(id) + QStringLiteral(".jpg");
}

void clearPicture(DataSet &q)
{
    q.edit();
    q.field(1).clear();
    q.post();
}

void storePicture(DataSet &q, const QByteArray &bytes)
{
    q.edit();
    q.field(1).setValue(bytes);
    q.post();
}

int boxSide(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        fail(QStringLiteral("« %1 » n'est pas un nombre entier.").arg(text));
    return value;
}

void runPictureCommand(ConversionContext &c, const QString &line, const PictureCommand &command, bool imagesFolder,
    const std::function<QString(const QStringList &args, qint64 id)> &rowText, const RowConversion &convert)
{
    const QString cut = line.left(kMaxScriptArgument);
    QStringList args;
    try {
        args = QuotedArguments(cut, command.arguments);
    } catch (const Error &e) {
        log(c, command.heading + errorSuffix(e));
        return;
    }
    const QString heading = command.heading + args[0];
    log(c, heading);
    QString closing = heading;
    DataSet &q = c.query;
    try {
        if (imagesFolder && !CreateDirectoryLevel(c.databaseDir + QStringLiteral("Images")))
            fail(QStringLiteral("Impossible de créer le répertoire :\r%1")
                     .arg(c.databaseDir + QStringLiteral("Images")));
        if (args.size() > 2 && (args[2].contains(u'/') || args[2].contains(u'\\')))
            fail(QStringLiteral("Le préfixe « %1 » ne doit pas contenir de séparateur de dossier.").arg(args[2]));
        q.close();
        q.setParameters({});
        q.setSqlText(QStringLiteral("SELECT Id, ") + args[1] + QStringLiteral(" FROM ") + args[0]);
        q.open();
        if (IsDataSetEmpty(q))
            closing = command.noPictures;
        // The rows of one picture command are written in one transaction: one write to the disk
        // for the whole table rather than one per picture. A command cut short by a crash leaves
        // the column as it was, and its script runs again at the next start.
        Transaction batch(*q.connection());
        try {
            for (q.first(); !q.eof(); q.next()) {
                if (q.field(1).isNull())
                    continue;
                const qint64 id = q.field(0).asInteger();
                log(c, rowText(args, id));
                closing.clear();
                convert(q, id, args);
            }
        } catch (const Error &) {
            q.cancel();
            batch.commit(); // the rows converted before the error stay converted
            throw;
        }
        batch.commit();
        q.close();
        log(c, closing);
    } catch (const Error &e) {
        q.cancel();
        q.close();
        log(c, closing + errorSuffix(e));
    }
}

void extractImageToJpeg(ConversionContext &c, const QString &line)
{
    const bool keepPictures = line.contains(QStringLiteral("ExtractImageToJpegCopy"));
    runPictureCommand(
        c, line,
        {QStringLiteral("OPTIMISATION:Extraction des images au format jpeg de la table "),
            QStringLiteral("Pas d'images dans la base"), 3},
        true,
        [&c](const QStringList &args, qint64 id) {
            return QStringLiteral("Conversion de l'image : ") + jpegPath(c, args[2], id);
        },
        [&c, keepPictures](DataSet &q, qint64 id, const QStringList &args) {
            // The picture is read from memory: no work file can land on a picture of the folder.
            const QByteArray bytes = q.field(1).asBytes();
            const QString target = jpegPath(c, args[2], id);
            if (!bytes.isEmpty()) {
                // Read even when a JPEG of that name is there: a value that is not a picture
                // this command can convert ends it with the error, and stays in the column.
                const Bitmap picture = To24Bit(LoadBmp(bytes));
                if (!FileExists(target))
                    SaveBitmapAsJpeg(picture, target, 100);
            }
            if (!keepPictures)
                clearPicture(q);
        });
}

void extractJpegImage(ConversionContext &c, const QString &line)
{
    runPictureCommand(
        c, line,
        {QStringLiteral("OPTIMISATION:Extraction des images jpeg de la table "),
            QStringLiteral("Pas d'images dans la base"), 3},
        true,
        [&c](const QStringList &args, qint64 id) {
            return QStringLiteral("Extraction de l'image : ") + jpegPath(c, args[2], id);
        },
        [&c](DataSet &q, qint64 id, const QStringList &args) {
            const QString target = jpegPath(c, args[2], id);
            if (!WriteFileAtomically(target, q.field(1).asBytes()))
                fail(QStringLiteral("Impossible d'écrire le fichier « %1 ».").arg(target));
            clearPicture(q); // only once the file is whole
        });
}

void resizeBitmapInDataBase(ConversionContext &c, const QString &line)
{
    const bool whiteRect = line.contains(QStringLiteral("ResizeBitmapDataBaseInWhiteRect"));
    runPictureCommand(
        c, line,
        {QStringLiteral("OPTIMISATION:Redimensionne les images Bitmap de la table "),
            QStringLiteral("Pas d'images dans la table"), 4},
        false,
        [](const QStringList &, qint64 id) {
            return QStringLiteral("Redimensionnement de l'image : ") + QString::number(id) + QStringLiteral(".jpg");
        },
        [&c, whiteRect](DataSet &q, qint64, const QStringList &args) {
            const int width = boxSide(args[2]);
            const int height = boxSide(args[3]);
            Bitmap picture = ResizePictureToBox(q.field(1).asBytes(), width, height, c.progress);
            if (whiteRect)
                picture = PlaceOnWhiteCanvas(picture, width, height);
            storePicture(q, SaveBmp(picture));
        });
}

void convertBitmapToJpegInDataBase(ConversionContext &c, const QString &line)
{
    runPictureCommand(
        c, line,
        {QStringLiteral("OPTIMISATION:Conversion des images Bitmap en Jpeg de la table "),
            QStringLiteral("Pas d'images dans la table"), 2},
        false,
        [](const QStringList &, qint64 id) {
            return QStringLiteral("Conversion de l'image : ") + QString::number(id) + QStringLiteral(".jpg");
        },
        [&c](DataSet &q, qint64, const QStringList &) {
            // Encoded in memory: no "temp.jpg" can replace a picture of the Images folder.
            storePicture(q, EncodeJpeg(LoadBmp(q.field(1).asBytes()), 100));
            c.progress.pump();
        });
}

} // namespace

const QStringList &ConversionWords()
{
    static const QStringList words{kConvertStatScript, kReplaceStringInStatScript, kConvertQueryScript,
        kReplaceStringInQueryScript, kExtractImageToJpeg, kExtractJpegImage, kResizeBitmapInDataBase,
        kConvertBitmapToJpegInDataBase};
    return words;
}

QStringList QuotedArguments(const QString &line, int count)
{
    const qsizetype open = line.indexOf(u'(');
    if (open < 0)
        fail(QStringLiteral("Ligne de commande illisible : il manque « ( »."));
    QString rest = line.mid(open + 2);
    QStringList args;
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        const qsizetype end = rest.indexOf(last ? u')' : u',');
        if (end < 1)
            fail(QStringLiteral("Ligne de commande illisible : %1 arguments entre apostrophes sont attendus.")
                     .arg(count));
        args << rest.left(end - 1);
        rest = rest.mid(end + 2);
    }
    return args;
}

void RunConversion(ConversionContext &context, const QString &word, const QString &line)
{
    if (word == kConvertStatScript)
        convertScripts(context, line, statTables(), true);
    else if (word == kConvertQueryScript)
        convertScripts(context, line, queryTables(), false);
    else if (word == kReplaceStringInStatScript)
        replaceInScripts(context, line, statTables());
    else if (word == kReplaceStringInQueryScript)
        replaceInScripts(context, line, queryTables());
    else if (word == kExtractImageToJpeg)
        extractImageToJpeg(context, line);
    else if (word == kExtractJpegImage)
        extractJpegImage(context, line);
    else if (word == kResizeBitmapInDataBase)
        resizeBitmapInDataBase(context, line);
    else if (word == kConvertBitmapToJpegInDataBase)
        convertBitmapToJpegInDataBase(context, line);
}

} // namespace vivrelo
