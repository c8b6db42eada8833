#include "db/SqlText.h"

#include <QRegularExpression>

#include <vector>

namespace vivrelo::sqltext {

namespace {

struct Token {
    enum Kind { Word, Quoted, String, Punct } kind;
    qsizetype start;
    qsizetype end;
    int depth;
    QString upper; // Word: upper-cased text; Punct: the character
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

std::vector<Token> tokenize(const QString &s)
{
    std::vector<Token> tokens;
    int depth = 0;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            const qsizetype close = s.indexOf(QStringLiteral("*/"), i + 2);
            i = close < 0 ? n : close + 2;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar closing = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (s[j] == closing) {
                    if (closing != u']' && j + 1 < n && s[j + 1] == closing) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = std::min(n, j + 1);
            tokens.push_back({c == u'\'' ? Token::String : Token::Quoted, i, end, depth, {}});
            i = end;
        } else if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(s[j]))
                ++j;
            tokens.push_back({Token::Word, i, j, depth, s.mid(i, j - i).toUpper()});
            i = j;
        } else {
            if (c == u')')
                --depth;
            tokens.push_back({Token::Punct, i, i + 1, c == u')' ? depth + 1 : depth, QString(c)});
            if (c == u'(')
                ++depth;
            ++i;
        }
    }
    return tokens;
}

bool isClauseWord(const QString &w)
{
    static const QStringList words = {
        QStringLiteral("WHERE"),
        QStringLiteral("JOIN"),
        QStringLiteral("INNER"),
        QStringLiteral("LEFT"),
        QStringLiteral("RIGHT"),
        QStringLiteral("FULL"),
        QStringLiteral("CROSS"),
        QStringLiteral("NATURAL"),
        QStringLiteral("OUTER"),
        QStringLiteral("ORDER"),
        QStringLiteral("GROUP"),
        QStringLiteral("HAVING"),
        QStringLiteral("LIMIT"),
        QStringLiteral("UNION"),
        QStringLiteral("EXCEPT"),
        QStringLiteral("INTERSECT"),
        QStringLiteral("WINDOW"),
        QStringLiteral("ON"),
        QStringLiteral("USING"),
        QStringLiteral("INDEXED"),
        QStringLiteral("NOT"),
    };
    return words.contains(w);
}

} // namespace

QSet<QString> NamedIdentifiers(const QString &sql)
{
    QSet<QString> names;
    for (const Token &t : tokenize(sql)) {
        if (t.kind == Token::Word)
            names.insert(t.upper);
        else if (t.kind == Token::Quoted)
            names.insert(Unquote(sql.mid(t.start, t.end - t.start)).toUpper());
    }
    return names;
}

QString Unquote(const QString &identifier)
{
    const QString t = identifier.trimmed();
    if (t.size() >= 2) {
        const QChar a = t.front();
        const QChar b = t.back();
        if ((a == u'[' && b == u']') || (a == u'"' && b == u'"') || (a == u'`' && b == u'`')) {
            QString inner = t.mid(1, t.size() - 2);
            if (a != u'[')
                inner.replace(QString(2, a), QString(a));
            return inner;
        }
    }
    return t;
}

QString QuoteIdentifier(const QString &name)
{
    QString inner = name;
    inner.replace(u'"', QStringLiteral("\"\""));
    return u'"' + inner + u'"';
}

bool IsColumnReference(const QString &item)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^(?:(?:\w+|\[[^\]]*\]|"[^"]*"|`[^`]*`)\s*\.\s*)?(?:\w+|\[[^\]]*\]|"[^"]*"|`[^`]*`))"
                       R"((?:\s*(?:(?i:AS)\s*)?(?:\w+|\[[^\]]*\]|"[^"]*"|`[^`]*`|'[^']*'))?$)"),
        QRegularExpression::UseUnicodePropertiesOption);
    return re.match(item.trimmed()).hasMatch();
}

bool IsStar(const QString &item)
{
    const QString t = item.trimmed();
    return t == u"*" || t.endsWith(u".*");
}

SelectShape ParseSelect(const QString &sql)
{
    SelectShape shape;
    const std::vector<Token> tokens = tokenize(sql);
    size_t k = 0;
    if (tokens.empty() || tokens[0].kind != Token::Word || tokens[0].upper != u"SELECT")
        return shape;
    k = 1;
    if (k < tokens.size() && tokens[k].kind == Token::Word) {
        if (tokens[k].upper == u"DISTINCT")
            return shape;
        if (tokens[k].upper == u"ALL")
            ++k;
    }
    if (k >= tokens.size())
        return shape;
    shape.listStart = tokens[k].start;
    size_t from = k;
    while (from < tokens.size()
        && !(tokens[from].depth == 0 && tokens[from].kind == Token::Word && tokens[from].upper == u"FROM"))
        ++from;
    if (from >= tokens.size() || from == k)
        return shape;
    shape.listEnd = tokens[from].start;

    // Items, split at the commas of the top level.
    qsizetype itemStart = shape.listStart;
    for (size_t t = k; t < from; ++t) {
        if (tokens[t].depth == 0 && tokens[t].kind == Token::Punct && tokens[t].upper == u",") {
            shape.items << sql.mid(itemStart, tokens[t].start - itemStart).trimmed();
            itemStart = tokens[t].end;
        }
    }
    shape.items << sql.mid(itemStart, shape.listEnd - itemStart).trimmed();

    // The first table and its alias.
    size_t t = from + 1;
    auto isName = [&](size_t i) {
        return i < tokens.size() && (tokens[i].kind == Token::Quoted || tokens[i].kind == Token::Word);
    };
    if (!isName(t) || (tokens[t].kind == Token::Word && isClauseWord(tokens[t].upper)))
        return shape;
    qsizetype refStart = tokens[t].start;
    qsizetype refEnd = tokens[t].end;
    QString table = sql.mid(tokens[t].start, tokens[t].end - tokens[t].start);
    ++t;
    if (t + 1 < tokens.size() && tokens[t].kind == Token::Punct && tokens[t].upper == u"." && isName(t + 1)) {
        table = sql.mid(tokens[t + 1].start, tokens[t + 1].end - tokens[t + 1].start);
        refEnd = tokens[t + 1].end;
        t += 2;
    }
    QString reference = sql.mid(refStart, refEnd - refStart);
    if (t < tokens.size() && tokens[t].kind == Token::Word && tokens[t].upper == u"AS" && isName(t + 1)) {
        reference = sql.mid(tokens[t + 1].start, tokens[t + 1].end - tokens[t + 1].start);
        t += 2;
    } else if (isName(t) && !(tokens[t].kind == Token::Word && isClauseWord(tokens[t].upper))) {
        reference = sql.mid(tokens[t].start, tokens[t].end - tokens[t].start);
        ++t;
    }
    shape.table = Unquote(table);
    shape.reference = reference;

    for (size_t i = from + 1; i < tokens.size(); ++i) {
        const Token &tok = tokens[i];
        if (tok.depth != 0)
            continue;
        if (tok.kind == Token::Word) {
            if (tok.upper == u"GROUP" || tok.upper == u"UNION" || tok.upper == u"EXCEPT" || tok.upper == u"INTERSECT"
                || tok.upper == u"WINDOW" || tok.upper == u"HAVING")
                return shape;
            if (tok.upper == u"JOIN")
                shape.join = true;
        } else if (tok.kind == Token::Punct && tok.upper == u"," && i >= t) {
            // A comma after the first table and before any clause: another table.
            bool inClause = false;
            for (size_t j = t; j < i; ++j) {
                if (tokens[j].depth == 0 && tokens[j].kind == Token::Word
                    && (tokens[j].upper == u"WHERE" || tokens[j].upper == u"ORDER" || tokens[j].upper == u"LIMIT")) {
                    inClause = true;
                    break;
                }
            }
            if (!inClause)
                shape.join = true;
        }
    }
    shape.simple = true;
    return shape;
}

} // namespace vivrelo::sqltext
