#include "db/FieldKind.h"

#include "base/Error.h"

#include <QRegularExpression>
#include <QStringList>

namespace vivrelo {

namespace {

// The first word of a declared type, upper-cased: "TEXT(128) COLLATE NOCASE" -> "TEXT".
QString typeWord(const QString &declaredType)
{
    static const QRegularExpression word(QStringLiteral("^\\s*([A-Za-z_]+)"));
    const QRegularExpressionMatch m = word.match(declaredType);
    return m.hasMatch() ? m.captured(1).toUpper() : QString();
}

} // namespace

FieldKind ClassifyColumn(const QString &declaredType, bool isIntegerPrimaryKey)
{
    const QString upper = declaredType.toUpper();
    const QString w = typeWord(declaredType);
    if (w == u"COUNTER" || w == u"AUTOINCREMENT" || upper.contains(u"AUTOINCREMENT"))
        return FieldKind::AutoInc;
    if (isIntegerPrimaryKey)
        return FieldKind::AutoInc;
    if (w == u"SHORT" || w == u"SMALLINT")
        return FieldKind::Smallint;
    if (w == u"LONG" || w == u"INTEGER" || w == u"INT")
        return FieldKind::Integer;
    if (w == u"DOUBLE" || w == u"FLOAT" || w == u"REAL")
        return FieldKind::Float;
    if (w == u"YESNO" || w == u"BIT" || w == u"LOGICAL" || w == u"BOOLEAN")
        return FieldKind::Boolean;
    if (w == u"DATETIME" || w == u"DATE")
        return FieldKind::DateTime;
    if (w == u"TEXT" || w == u"VARCHAR" || w == u"CHAR" || w == u"NVARCHAR" || w == u"NCHAR")
        return FieldKind::WideString;
    if (w == u"MEMO" || w == u"LONGTEXT")
        return FieldKind::WideMemo;
    if (w == u"BLOB" || w == u"LONGBINARY" || w == u"OLEOBJECT" || w == u"BINARY" || w == u"IMAGE")
        return FieldKind::Blob;
    if (w == u"CURRENCY" || w == u"MONEY")
        return FieldKind::BCD;
    return FieldKind::Unknown;
}

QString FieldKindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::AutoInc:
        return QStringLiteral("ftAutoInc");
    case FieldKind::Smallint:
        return QStringLiteral("ftSmallint");
    case FieldKind::Integer:
        return QStringLiteral("ftInteger");
    case FieldKind::Float:
        return QStringLiteral("ftFloat");
    case FieldKind::Boolean:
        return QStringLiteral("ftBoolean");
    case FieldKind::DateTime:
        return QStringLiteral("ftDateTime");
    case FieldKind::WideString:
        return QStringLiteral("ftWideString");
    case FieldKind::WideMemo:
        return QStringLiteral("ftWideMemo");
    case FieldKind::Blob:
        return QStringLiteral("ftBlob");
    case FieldKind::BCD:
        return QStringLiteral("ftBCD");
    case FieldKind::Unknown:
        break;
    }
    return QStringLiteral("ftUnknown");
}

bool IsKnownFieldKindName(const QString &name)
{
    static const QStringList names = {
        QStringLiteral("ftUnknown"),
        QStringLiteral("ftString"),
        QStringLiteral("ftSmallint"),
        QStringLiteral("ftInteger"),
        QStringLiteral("ftWord"),
        QStringLiteral("ftBoolean"),
        QStringLiteral("ftFloat"),
        QStringLiteral("ftCurrency"),
        QStringLiteral("ftBCD"),
        QStringLiteral("ftDate"),
        QStringLiteral("ftTime"),
        QStringLiteral("ftDateTime"),
        QStringLiteral("ftBytes"),
        QStringLiteral("ftVarBytes"),
        QStringLiteral("ftAutoInc"),
        QStringLiteral("ftBlob"),
        QStringLiteral("ftMemo"),
        QStringLiteral("ftGraphic"),
        QStringLiteral("ftFmtMemo"),
        QStringLiteral("ftParadoxOle"),
        QStringLiteral("ftDBaseOle"),
        QStringLiteral("ftTypedBinary"),
        QStringLiteral("ftCursor"),
        QStringLiteral("ftFixedChar"),
        QStringLiteral("ftWideString"),
        QStringLiteral("ftLargeInt"),
        QStringLiteral("ftADT"),
        QStringLiteral("ftArray"),
        QStringLiteral("ftReference"),
        QStringLiteral("ftDataSet"),
        QStringLiteral("ftOraBlob"),
        QStringLiteral("ftOraClob"),
        QStringLiteral("ftVariant"),
        QStringLiteral("ftInterface"),
        QStringLiteral("ftIDispatch"),
        QStringLiteral("ftGuid"),
        QStringLiteral("ftWideMemo"),
    };
    return names.contains(name);
}

QString NormalizedFieldKindName(const QString &name)
{
    return IsKnownFieldKindName(name) ? name : QStringLiteral("ftUnknown");
}

bool IsLargeKind(FieldKind kind)
{
    return kind == FieldKind::WideMemo || kind == FieldKind::Blob;
}

int DeclaredTextLength(const QString &declaredType)
{
    static const QRegularExpression size(QStringLiteral("\\(\\s*([0-9]+)\\s*\\)"));
    const QRegularExpressionMatch m = size.match(declaredType);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

void CheckFitsColumn(const QString &column, const QString &declaredType, FieldKind kind, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return;
    switch (kind) {
    case FieldKind::WideString: {
        const int limit = DeclaredTextLength(declaredType);
        const qsizetype length = value.toString().size();
        if (limit > 0 && length > limit)
            fail(QStringLiteral("« %1 » : le texte compte %2 caractères, la colonne en admet %3 au plus.\r"
                                "Raccourcissez-le : rien n'a été enregistré.")
                     .arg(column)
                     .arg(length)
                     .arg(limit));
        return;
    }
    case FieldKind::Smallint:
    case FieldKind::Integer:
    case FieldKind::AutoInc: {
        bool ok = false;
        double number = 0;
        if (value.typeId() == QMetaType::QString) {
            number = value.toString().trimmed().toDouble(&ok);
        } else if (value.canConvert<double>()) {
            number = value.toDouble(&ok);
        }
        if (!ok)
            return; // not a number: the column keeps what the engine makes of it
        const bool shortColumn = kind == FieldKind::Smallint;
        const double low = shortColumn ? -32768.0 : -2147483648.0;
        const double high = shortColumn ? 32767.0 : 2147483647.0;
        if (!(number >= low && number <= high))
            fail(QStringLiteral("« %1 » : la valeur %2 est hors des limites (de %3 à %4) : rien n'a été enregistré.")
                     .arg(column, value.toString())
                     .arg(qint64(low))
                     .arg(qint64(high)));
        return;
    }
    default:
        return;
    }
}

} // namespace vivrelo
