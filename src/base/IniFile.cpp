#include "base/IniFile.h"

#include "base/Paths.h"

#include <QFile>

namespace vivrelo {

namespace {
bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

void IniFile::load(const QString &path)
{
    m_path = path;
    m_lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    parse(file.readAll());
}

void IniFile::parse(const QByteArray &bytes)
{
    m_lines.clear();
    QString content = QString::fromUtf8(bytes);
    // Byte-order marks at the start are no text, however many an editor wrote: left on the
    // first line, one would be read as the start of its section or key, and the next save
    // would lose one.
    while (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    content.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList texts = content.split(QLatin1Char('\n'));
    if (!texts.isEmpty() && texts.back().isEmpty())
        texts.removeLast();
    QString section;
    for (const QString &text : texts) {
        Line line{text, section, {}, {}};
        const QString trimmed = text.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.contains(QLatin1Char(']'))) {
            section = trimmed.mid(1, trimmed.indexOf(QLatin1Char(']')) - 1).trimmed();
            line.section = section;
        } else if (!trimmed.startsWith(QLatin1Char(';')) && trimmed.contains(QLatin1Char('='))) {
            const int eq = text.indexOf(QLatin1Char('='));
            line.key = text.left(eq).trimmed();
            line.value = text.mid(eq + 1).trimmed();
        }
        m_lines.push_back(line);
    }
}

bool IniFile::save() const
{
    return WriteFileAtomically(m_path, toBytes());
}

QByteArray IniFile::toBytes() const
{
    QByteArray bytes;
    for (const Line &line : m_lines)
        bytes += line.text.toUtf8() + "\r\n";
    return bytes;
}

int IniFile::findKey(const QString &section, const QString &key) const
{
    for (size_t i = 0; i < m_lines.size(); ++i)
        if (!m_lines[i].key.isEmpty() && sameName(m_lines[i].section, section) && sameName(m_lines[i].key, key))
            return int(i);
    return -1;
}

bool IniFile::hasSection(const QString &section) const
{
    for (const Line &line : m_lines)
        if (line.key.isEmpty() && sameName(line.section, section) && line.text.trimmed().startsWith(QLatin1Char('[')))
            return true;
    return false;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const int i = findKey(section, key);
    if (i < 0)
        return std::nullopt;
    return m_lines[size_t(i)].value;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    return value(section, key).value_or(def);
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    const auto v = value(section, key);
    if (!v)
        return def;
    bool ok = false;
    const int n = v->toInt(&ok, 10);
    return ok ? n : def;
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const int i = findKey(section, key);
    if (i >= 0) {
        Line &line = m_lines[size_t(i)];
        line.value = value;
        line.text = line.key + QLatin1Char('=') + value;
        return;
    }
    // Append after the last line of the section, creating the section when it is missing.
    int last = -1;
    for (size_t j = 0; j < m_lines.size(); ++j)
        if (sameName(m_lines[j].section, section)
            && (m_lines[j].key.size() || m_lines[j].text.trimmed().startsWith(QLatin1Char('['))))
            last = int(j);
    Line line{key + QLatin1Char('=') + value, section, key, value};
    if (last < 0) {
        m_lines.push_back({QLatin1Char('[') + section + QLatin1Char(']'), section, {}, {}});
        line.section = section;
        m_lines.push_back(line);
        return;
    }
    line.section = m_lines[size_t(last)].section;
    m_lines.insert(m_lines.begin() + last + 1, line);
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    setValue(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    setValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace vivrelo
