#include "report/ReportLayout.h"

#include "base/Error.h"
#include "base/Paths.h"

#include <QFile>
#include <QFileInfo>

namespace vivrelo {

namespace {

struct NamedBand {
    BandKind kind;
    const char *name;
};
constexpr NamedBand kBandNames[] = {
    {BandKind::Title, "title"},
    {BandKind::PageHeader, "page-header"},
    {BandKind::MasterData, "master-data"},
    {BandKind::PageFooter, "page-footer"},
    {BandKind::Summary, "summary"},
};

struct NamedObject {
    ObjectKind kind;
    const char *name;
};
constexpr NamedObject kObjectNames[] = {
    {ObjectKind::Text, "text"},
    {ObjectKind::Line, "line"},
    {ObjectKind::Rect, "rect"},
    {ObjectKind::Picture, "picture"},
};

QString ObjectKindName(ObjectKind kind)
{
    for (const auto &n : kObjectNames)
        if (n.kind == kind)
            return QString::fromLatin1(n.name);
    return {};
}

// Reads one layout text line by line; every fault names the file and the line.
class Parser
{
public:
    Parser(const QString &fileName) { m_layout.fileName = fileName; }

    ReportLayout run(const QString &text)
    {
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            m_line = i + 1;
            QString raw = lines[i];
            if (raw.endsWith(QLatin1Char('\r')))
                raw.chop(1);
            if (i == 0 && raw.startsWith(QChar(0xFEFF)))
                raw.remove(0, 1);
            raw.replace(QLatin1Char('\t'), QStringLiteral("    "));
            const QString content = raw.trimmed();
            if (content.isEmpty() || content.startsWith(QLatin1Char('#')))
                continue;
            int indent = 0;
            while (raw.at(indent) == QLatin1Char(' '))
                ++indent;
            const int colon = content.indexOf(QLatin1Char(':'));
            if (colon <= 0)
                fault(QStringLiteral("« %1 » n'est pas de la forme « clé: valeur »").arg(content));
            const QString key = content.left(colon).trimmed().toLower();
            QString value = content.mid(colon + 1).trimmed();
            handle(indent, key, value);
        }
        checkObject();
        return std::move(m_layout);
    }

private:
    [[noreturn]] void fault(const QString &what) const
    {
        const QString name = m_layout.fileName.isEmpty() ? QStringLiteral("Rapport")
                                                         : QStringLiteral("Rapport « %1 »").arg(m_layout.fileName);
        fail(QStringLiteral("%1, ligne %2 : %3.").arg(name).arg(m_line).arg(what));
    }

    void handle(int indent, const QString &key, const QString &value)
    {
        if (indent == 0) {
            checkObject();
            m_band = nullptr;
            m_object = nullptr;
            if (key == QLatin1String("band"))
                return openBand(value);
            return reportKey(key, value);
        }
        if (!m_band)
            fault(QStringLiteral("ligne en retrait hors d'une bande"));
        if (m_object && indent > m_objectIndent)
            return objectKey(key, value);
        checkObject();
        m_object = nullptr;
        for (const auto &n : kObjectNames) {
            if (key == QLatin1String(n.name)) {
                if (!value.isEmpty())
                    fault(QStringLiteral("« %1: » ne prend pas de valeur sur sa ligne").arg(key));
                ReportObject object;
                object.kind = n.kind;
                object.line = m_line;
                m_band->objects.push_back(object);
                m_object = &m_band->objects.back();
                m_objectIndent = indent;
                return;
            }
        }
        bandKey(key, value);
    }

    void openBand(const QString &value)
    {
        for (const auto &n : kBandNames) {
            if (value.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) {
                if (m_layout.band(n.kind))
                    fault(QStringLiteral("la bande « %1 » est déjà décrite").arg(value));
                ReportBand band;
                band.kind = n.kind;
                band.line = m_line;
                m_layout.bands.push_back(band);
                m_band = &m_layout.bands.back();
                return;
            }
        }
        fault(QStringLiteral("bande inconnue « %1 » (title, page-header, master-data, page-footer ou summary)")
                  .arg(value));
    }

    void reportKey(const QString &key, const QString &value)
    {
        if (key == QLatin1String("page")) {
            const auto v = measures(value, 2);
            if (v[0] <= 0 || v[1] <= 0)
                fault(QStringLiteral("la page doit avoir une largeur et une hauteur positives"));
            m_layout.pageWidth = v[0];
            m_layout.pageHeight = v[1];
        } else if (key == QLatin1String("margins")) {
            const auto v = measures(value, 4);
            for (int m : v)
                if (m < 0)
                    fault(QStringLiteral("une marge ne peut pas être négative"));
            m_layout.marginLeft = v[0];
            m_layout.marginTop = v[1];
            m_layout.marginRight = v[2];
            m_layout.marginBottom = v[3];
        } else {
            fault(QStringLiteral("clé inconnue « %1 » (page, margins ou band)").arg(key));
        }
        if (m_layout.marginLeft + m_layout.marginRight >= m_layout.pageWidth
            || m_layout.marginTop + m_layout.marginBottom >= m_layout.pageHeight)
            fault(QStringLiteral("les marges ne laissent aucune place sur la page"));
    }

    void bandKey(const QString &key, const QString &value)
    {
        if (key == QLatin1String("height")) {
            const int h = measures(value, 1)[0];
            if (h < 0)
                fault(QStringLiteral("la hauteur d'une bande ne peut pas être négative"));
            m_band->height = h;
        } else if (key == QLatin1String("alternate")) {
            m_band->alternate = colour(value);
        } else if (key == QLatin1String("grow")) {
            m_band->grow = yesNo(key, value);
            if (m_band->grow && m_band->kind == BandKind::PageFooter)
                fault(QStringLiteral("le pied de page a une hauteur fixe : il ne peut pas grandir"));
        } else {
            fault(QStringLiteral(
                "clé inconnue « %1 » pour une bande (height, alternate, grow, text, line, rect ou picture)")
                      .arg(key));
        }
    }

    void objectKey(const QString &key, const QString &value)
    {
        ReportObject &o = *m_object;
        const bool isText = o.kind == ObjectKind::Text;
        if (key == QLatin1String("box")) {
            const auto v = measures(value, 4);
            if (o.kind != ObjectKind::Line && (v[2] < 0 || v[3] < 0))
                fault(QStringLiteral("la largeur et la hauteur d'un objet ne peuvent pas être négatives"));
            o.x = v[0];
            o.y = v[1];
            o.width = v[2];
            o.height = v[3];
        } else if (isText && key == QLatin1String("value")) {
            QString text = value;
            if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
                text = text.mid(1, text.size() - 2);
            QString error;
            if (!ParseTextTemplate(text, o.pieces, error))
                fault(error);
            o.text = text;
        } else if (isText && key == QLatin1String("font")) {
            if (value.isEmpty())
                fault(QStringLiteral("nom de police vide"));
            o.fontFamily = value;
        } else if (isText && key == QLatin1String("size")) {
            bool ok = false;
            const double size = value.toDouble(&ok);
            if (!ok || size < 1 || size > 400)
                fault(QStringLiteral("taille de police « %1 » invalide (points, de 1 à 400)").arg(value));
            o.fontSize = size;
        } else if (isText && key == QLatin1String("style")) {
            o.bold = o.italic = o.underline = false;
            for (const QString &word : value.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QString w = word.toLower();
                if (w == QLatin1String("bold"))
                    o.bold = true;
                else if (w == QLatin1String("italic"))
                    o.italic = true;
                else if (w == QLatin1String("underline"))
                    o.underline = true;
                else if (w != QLatin1String("normal"))
                    fault(QStringLiteral("style « %1 » inconnu (bold, italic, underline ou normal)").arg(word));
            }
        } else if (isText && key == QLatin1String("color")) {
            o.color = colour(value);
        } else if ((isText || o.kind == ObjectKind::Rect) && key == QLatin1String("fill")) {
            o.fill = colour(value);
        } else if (isText && key == QLatin1String("align")) {
            const QString a = value.toLower();
            if (a == QLatin1String("left"))
                o.align = TextAlign::Left;
            else if (a == QLatin1String("right"))
                o.align = TextAlign::Right;
            else if (a == QLatin1String("center"))
                o.align = TextAlign::Center;
            else
                fault(QStringLiteral("alignement « %1 » inconnu (left, right ou center)").arg(value));
        } else if (isText && key == QLatin1String("wrap")) {
            o.wrap = yesNo(key, value);
        } else if (isText && key == QLatin1String("format")) {
            format(value, o);
        } else if ((o.kind == ObjectKind::Line || o.kind == ObjectKind::Rect) && key == QLatin1String("pen")) {
            const QStringList parts = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (parts.size() != 2)
                fault(QStringLiteral("« pen » attend une couleur et une épaisseur en mm"));
            o.penColor = colour(parts[0]);
            o.penWidth = measures(parts[1], 1)[0];
            if (o.penWidth < 0)
                fault(QStringLiteral("l'épaisseur d'un trait ne peut pas être négative"));
        } else if (o.kind == ObjectKind::Picture && key == QLatin1String("field")) {
            if (value.isEmpty())
                fault(QStringLiteral("nom de champ vide"));
            o.field = value;
        } else {
            fault(QStringLiteral("clé inconnue « %1 » pour un objet %2").arg(key, ObjectKindName(o.kind)));
        }
    }

    bool yesNo(const QString &key, const QString &value)
    {
        const QString a = value.toLower();
        if (a != QLatin1String("yes") && a != QLatin1String("no"))
            fault(QStringLiteral("« %1 » vaut yes ou no").arg(key));
        return a == QLatin1String("yes");
    }

    void format(const QString &value, ReportObject &o)
    {
        const QString f = value.toLower();
        if (f == QLatin1String("plain")) {
            o.format = ValueFormat::Plain;
        } else if (f == QLatin1String("money")) {
            o.format = ValueFormat::Money;
        } else if (f == QLatin1String("integer") || f == QLatin1String("0")) {
            o.format = ValueFormat::Integer;
        } else if (f.startsWith(QLatin1String("0.")) && f.size() <= 8
            && f.mid(2).count(QLatin1Char('0')) == f.size() - 2) {
            o.format = ValueFormat::Fixed;
            o.decimals = int(f.size()) - 2;
        } else {
            fault(QStringLiteral("format « %1 » inconnu (plain, money, integer ou 0.00)").arg(value));
        }
    }

    // Checks the object just finished: a text needs a value, a picture a field, and every
    // object a box.
    void checkObject()
    {
        if (!m_object)
            return;
        const ReportObject &o = *m_object;
        const int saved = m_line;
        m_line = o.line;
        if (o.width == 0 && o.height == 0)
            fault(QStringLiteral("l'objet %1 n'a pas de « box »").arg(ObjectKindName(o.kind)));
        if (o.kind == ObjectKind::Picture && o.field.isEmpty())
            fault(QStringLiteral("l'image n'a pas de « field »"));
        m_line = saved;
    }

    std::vector<int> measures(const QString &value, int count)
    {
        const QStringList parts = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.size() != count)
            fault(QStringLiteral("%1 mesure(s) en mm attendue(s), « %2 » lu").arg(count).arg(value));
        std::vector<int> out;
        for (const QString &p : parts) {
            bool ok = false;
            const double mm = p.toDouble(&ok);
            if (!ok || mm < -10000 || mm > 10000)
                fault(QStringLiteral("mesure « %1 » invalide (en mm, point décimal)").arg(p));
            out.push_back(qRound(mm * 10));
        }
        return out;
    }

    QColor colour(const QString &value)
    {
        QColor c = QColor::fromString(value);
        if (!value.startsWith(QLatin1Char('#')) || !c.isValid())
            fault(QStringLiteral("couleur « %1 » invalide (#RRGGBB)").arg(value));
        return c;
    }

    ReportLayout m_layout;
    ReportBand *m_band = nullptr;
    ReportObject *m_object = nullptr;
    int m_objectIndent = 0;
    int m_line = 0;
};

QString Mm(int units)
{
    return QString::number(units / 10.0, 'f', units % 10 == 0 ? 0 : 1);
}

QString ColourText(const QColor &c)
{
    return c.name(QColor::HexRgb).toUpper();
}

QString FormatText(const ReportObject &o)
{
    switch (o.format) {
    case ValueFormat::Plain:
        return QStringLiteral("plain");
    case ValueFormat::Money:
        return QStringLiteral("money");
    case ValueFormat::Integer:
        return QStringLiteral("integer");
    case ValueFormat::Fixed:
        return QStringLiteral("0.") + QString(o.decimals, QLatin1Char('0'));
    }
    return {};
}

} // namespace

const ReportBand *ReportLayout::band(BandKind kind) const
{
    for (const ReportBand &b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

QString BandKindName(BandKind kind)
{
    for (const auto &n : kBandNames)
        if (n.kind == kind)
            return QString::fromLatin1(n.name);
    return {};
}

bool ParseTextTemplate(const QString &text, std::vector<TextPiece> &pieces, QString &error)
{
    pieces.clear();
    QString literal;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('[')) {
            literal += c;
            continue;
        }
        if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('[')) {
            literal += c;
            ++i;
            continue;
        }
        const qsizetype end = text.indexOf(QLatin1Char(']'), i + 1);
        if (end < 0) {
            error = QStringLiteral("crochet « [ » sans « ] » dans « %1 »").arg(text);
            return false;
        }
        const QString name = text.mid(i + 1, end - i - 1).trimmed();
        if (name.isEmpty()) {
            error = QStringLiteral("nom vide entre crochets dans « %1 »").arg(text);
            return false;
        }
        if (!literal.isEmpty())
            pieces.push_back({false, literal});
        literal.clear();
        pieces.push_back({true, name});
        i = end;
    }
    if (!literal.isEmpty())
        pieces.push_back({false, literal});
    return true;
}

ReportLayout ParseReportLayout(const QString &text, const QString &fileName)
{
    return Parser(fileName).run(text);
}

ReportLayout LoadReportLayout(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Le fichier de rapport « %1 » est introuvable ou illisible.").arg(path));
    return ParseReportLayout(QString::fromUtf8(file.readAll()), QFileInfo(path).fileName());
}

QString WriteReportLayout(const ReportLayout &layout)
{
    const ReportObject defaults;
    QString out;
    auto line = [&out](int indent, const QString &key, const QString &value) {
        out += QString(indent, QLatin1Char(' ')) + key + QLatin1Char(':');
        if (!value.isEmpty())
            out += QLatin1Char(' ') + value;
        out += QLatin1Char('\n');
    };
    line(0, QStringLiteral("page"), Mm(layout.pageWidth) + QLatin1Char(' ') + Mm(layout.pageHeight));
    line(0, QStringLiteral("margins"),
        QStringList{Mm(layout.marginLeft), Mm(layout.marginTop), Mm(layout.marginRight), Mm(layout.marginBottom)}.join(
            QLatin1Char(' ')));
    for (const ReportBand &b : layout.bands) {
        out += QLatin1Char('\n');
        line(0, QStringLiteral("band"), BandKindName(b.kind));
        line(2, QStringLiteral("height"), Mm(b.height));
        if (b.alternate.isValid())
            line(2, QStringLiteral("alternate"), ColourText(b.alternate));
        if (b.grow)
            line(2, QStringLiteral("grow"), QStringLiteral("yes"));
        for (const ReportObject &o : b.objects) {
            line(2, ObjectKindName(o.kind), QString());
            line(4, QStringLiteral("box"),
                QStringList{Mm(o.x), Mm(o.y), Mm(o.width), Mm(o.height)}.join(QLatin1Char(' ')));
            if (o.kind == ObjectKind::Text) {
                const bool quote = o.text != o.text.trimmed()
                    || (o.text.startsWith(QLatin1Char('"')) && o.text.endsWith(QLatin1Char('"')));
                line(4, QStringLiteral("value"), quote ? QLatin1Char('"') + o.text + QLatin1Char('"') : o.text);
                line(4, QStringLiteral("font"), o.fontFamily);
                line(4, QStringLiteral("size"), QString::number(o.fontSize));
                QStringList style;
                if (o.bold)
                    style << QStringLiteral("bold");
                if (o.italic)
                    style << QStringLiteral("italic");
                if (o.underline)
                    style << QStringLiteral("underline");
                if (!style.isEmpty())
                    line(4, QStringLiteral("style"), style.join(QLatin1Char(' ')));
                if (o.color != defaults.color)
                    line(4, QStringLiteral("color"), ColourText(o.color));
                if (o.fill.isValid())
                    line(4, QStringLiteral("fill"), ColourText(o.fill));
                if (o.align != TextAlign::Left)
                    line(4, QStringLiteral("align"),
                        o.align == TextAlign::Right ? QStringLiteral("right") : QStringLiteral("center"));
                if (o.wrap)
                    line(4, QStringLiteral("wrap"), QStringLiteral("yes"));
                if (o.format != ValueFormat::Plain)
                    line(4, QStringLiteral("format"), FormatText(o));
            } else if (o.kind == ObjectKind::Picture) {
                line(4, QStringLiteral("field"), o.field);
            } else {
                line(4, QStringLiteral("pen"),
                    ColourText(o.penColor) + QLatin1Char(' ') + QString::number(o.penWidth / 10.0));
                if (o.kind == ObjectKind::Rect && o.fill.isValid())
                    line(4, QStringLiteral("fill"), ColourText(o.fill));
            }
        }
    }
    return out;
}

void SaveReportLayout(const ReportLayout &layout, const QString &path)
{
    if (!WriteFileAtomically(path, WriteReportLayout(layout).toUtf8()))
        fail(QStringLiteral("Le fichier de rapport « %1 » n'a pas pu être enregistré.").arg(path));
}

} // namespace vivrelo
