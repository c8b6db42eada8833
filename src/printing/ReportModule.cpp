#include "printing/ReportModule.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/LangText.h"
#include "base/Paths.h"
#include "base/Prompter.h"
#include "db/DataSetRoutines.h"
#include "lists/DataModule.h"
#include "report/DataSetRowSource.h"

#include <QFile>

namespace vivrelo {

namespace {

TDataModuleReport *g_module = nullptr;

// Closes the query whatever happens to the run.
struct QueryCloser {
    DataSet &query;
    ~QueryCloser() { query.close(); }
};

QStringList ReadQueryFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Le fichier de requête « %1 » est illisible.").arg(path));
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (!lines.isEmpty())
        lines.removeFirst();
    return lines;
}

// The clause line for a text: the keyword and the text, unless the text already starts
// with the keyword (callers pass "ORDER BY Title" as well as "Title").
QString ClauseLine(const QString &keyword, const QString &text)
{
    const QString t = text.trimmed();
    if (t.startsWith(keyword + QLatin1Char(' '), Qt::CaseInsensitive))
        return t;
    return keyword + QLatin1Char(' ') + t;
}

void ReplaceLine(QStringList &sql, int index, const QString &keyword, const QString &text)
{
    if (index < 0)
        fail(QStringLiteral("La requête du rapport n'a pas de ligne %1.").arg(keyword));
    sql[index] = ClauseLine(keyword, text);
}

} // namespace

TDataModuleReport::TDataModuleReport(TDataModule1 &dataModule)
    : ReportQuery(&dataModule.ADOConnection1)
    , m_dm(dataModule)
{
    for (int i = 0; i < 3; ++i)
        m_priceLabels[i] = QStringLiteral("Prix n°%1").arg(i + 1);
    g_module = this;
}

TDataModuleReport::~TDataModuleReport()
{
    ReportQuery.close();
    if (g_module == this)
        g_module = nullptr;
}

TDataModuleReport *DataModuleReport()
{
    return g_module;
}

std::optional<QVariant> TDataModuleReport::frReportGetValue(const QString &name) const
{
    if (name == QLatin1String("CURRENCYSYMBOL"))
        return QVariant(m_dm.currencySymbol());
    if (name == QLatin1String("TITLE"))
        return QVariant(QString());
    for (int i = 0; i < 3; ++i)
        if (name == QStringLiteral("PRICE%1").arg(i + 1))
            return QVariant(m_priceLabels[i]);
    return std::nullopt;
}

void TDataModuleReport::loadPriceLabels()
{
    for (int i = 0; i < 3; ++i)
        m_priceLabels[i] = QStringLiteral("Prix n°%1").arg(i + 1);
    if (!m_dm.ADOConnection1.isOpen())
        return;
    DataSet labels(&m_dm.ADOConnection1);
    labels.setSql(
        {QStringLiteral("SELECT Price01, Price02, Price03 FROM CUSTOMLAB"), QStringLiteral("WHERE Id_File=?")});
    labels.setParameters({m_dm.CurrentListFileId});
    labels.open();
    if (!IsDataSetEmpty(labels))
        for (int i = 0; i < 3; ++i) {
            const QString label = labels.field(i).asString();
            if (!label.trimmed().isEmpty())
                m_priceLabels[i] = label;
        }
    labels.close();
}

QStringList ReplaceReportClauses(
    QStringList sql, const QString &from, const QString &where, const QString &having, const QString &orderBy)
{
    if (!from.isEmpty())
        ReplaceLine(sql, FindFromLine(sql), QStringLiteral("FROM"), from);
    if (!where.isEmpty())
        ReplaceLine(sql, FindWhereLine(sql), QStringLiteral("WHERE"), where);
    if (!having.isEmpty()) {
        const QString line = ClauseLine(QStringLiteral("HAVING"), having);
        const int at = FindHavingLine(sql);
        if (at >= 0)
            sql[at] = line;
        else if (!sql.isEmpty() && sql.last().toUpper().contains(QLatin1String("ORDER BY")))
            sql.insert(sql.size() - 1, line);
        else
            sql.append(line);
    }
    if (!orderBy.isEmpty()) {
        const QString line = ClauseLine(QStringLiteral("ORDER BY"), orderBy);
        const int at = FindOrderByLine(sql);
        if (at >= 0)
            sql[at] = line;
        else
            sql.append(line);
    }
    return sql;
}

QString UserReportLayoutPath(const QString &name)
{
    return App().dataDir + QStringLiteral("Reports/") + name + QStringLiteral(".frf");
}

ReportLayout LoadRunLayout(const QString &name, Prompter &prompter, QString &path)
{
    const QString user = UserReportLayoutPath(name);
    if (FileExists(user)) {
        try {
            path = user;
            return LoadReportLayout(user);
        } catch (const Error &e) {
            prompter.warn(QStringLiteral("Votre modèle du rapport ne peut pas être lu :\r%1\r"
                                         "Le modèle livré avec le programme est utilisé ; le vôtre reste en place.")
                              .arg(e.message()));
        }
    }
    path = App().reportsDir + name + QStringLiteral(".frf");
    return LoadReportLayout(path);
}

void RunReport(TDataModuleReport &module, const QString &name, const QString &from, const QString &where,
    const QString &having, const QString &orderBy, const QString &title, Prompter &prompter,
    const ShowPreparedReport &preview)
{
    DataSet &query = module.ReportQuery;
    query.close();
    QueryCloser closer{query};
    const QString queryFile = App().reportsDir + name + QStringLiteral(".rpt");
    if (FileExists(queryFile)) {
        query.setSql(ReplaceReportClauses(ReadQueryFile(queryFile), from, where, having, orderBy));
        query.open();
        if (IsDataSetEmpty(query)) {
            prompter.inform(GetLangText(lang::ReportEmpty));
            return;
        }
    }
    module.loadPriceLabels();

    ReportRun run;
    run.name = name;
    run.userLayoutPath = UserReportLayoutPath(name);
    run.shippedLayoutPath = App().reportsDir + name + QStringLiteral(".frf");
    run.layout = LoadRunLayout(name, prompter, run.layoutPath);
    if (query.isActive())
        for (const FieldDef &f : query.fields())
            run.fields << f.name;
    run.prepare = [&module, &query, title](const ReportLayout &layout) {
        DataSetRowSource rows(query);
        return PrepareReport(
            layout, query.isActive() ? &rows : nullptr,
            [&module](const QString &n) { return module.frReportGetValue(n); }, title);
    };
    run.prepared = run.prepare(run.layout);
    if (preview)
        preview(run);
}

QStringList ItemsTableColumns(TDataModule1 &dataModule)
{
    DataSet probe(&dataModule.ADOConnection1);
    probe.setSql({QStringLiteral("SELECT * FROM ITEMS"), QStringLiteral("WHERE 0=1")});
    probe.open();
    QStringList names;
    for (const FieldDef &f : probe.fields())
        names << f.name;
    probe.close();
    return names;
}

void RunItemsListReport(
    TDataModuleReport &module, const QString &sortField, Prompter &prompter, const ShowPreparedReport &preview)
{
    const QString field = sortField.trimmed();
    if (!ItemsTableColumns(module.dataModule()).contains(field, Qt::CaseInsensitive))
        fail(QStringLiteral("« %1 » n'est pas une colonne des produits : le rapport ne peut pas être trié ainsi.")
                 .arg(sortField));
    RunReport(module, QStringLiteral("ItemsList"), QString(), QString(), QString(), QStringLiteral("ORDER BY ") + field,
        QStringLiteral("Liste des produits"), prompter, preview);
}

} // namespace vivrelo
