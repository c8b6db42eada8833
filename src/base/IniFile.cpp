#include "base/IniFile.h"

#include "base/Paths.h"
#include "base/TextEncoding.h"

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

void IniFile::parse(const QByteArray &input)
{
    m_lines.clear();
    m_bom.clear();
    // Byte-order marks at the start are no text, however many an editor wrote: left on the
    // first line, one would be read as the start of its section or key. One is written back.
    QByteArray bytes = input;
    while (bytes.startsWith("\xEF\xBB\xBF")) {
        m_bom = bytes.left(3);
        bytes.remove(0, 3);
    }
    m_windows1252 = !IsValidUtf8(bytes);
    QString section;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArrayView content(bytes.constData() + start, end - start);
        if (end < bytes.size())
            end += (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;
        const QString text = m_windows1252 ? FromWindows1252(content) : QString::fromUtf8(content);
        Line line{text, section, {}, {}, bytes.mid(start, end - start)};
        start = end;
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
    // A changed line in code page 1252 keeps the file in one code page; a text that has no
    // place in it turns the whole file to UTF-8 (the lines read in 1252 convert without loss).
    bool windows1252 = m_windows1252;
    for (const Line &line : m_lines)
        if (windows1252 && line.raw.isEmpty() && !ToWindows1252(line.text))
            windows1252 = false;
    QByteArray bytes = m_bom;
    for (const Line &line : m_lines) {
        if (!line.raw.isEmpty() && windows1252 == m_windows1252) {
            bytes += line.raw;
            if (!line.raw.endsWith('\n') && !line.raw.endsWith('\r'))
                bytes += "\r\n";
        } else {
            bytes += (windows1252 ? *ToWindows1252(line.text) : line.text.toUtf8()) + "\r\n";
        }
    }
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
        if (line.value == value)
            return; // the line keeps its own bytes
        line.value = value;
        line.text = line.key + QLatin1Char('=') + value;
        line.raw.clear();
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
