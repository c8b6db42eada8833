#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vivrelo {

// A profile file: "[Section]" lines, then "Key=Value" lines. Sections and keys are found
// without regard to case; values are taken exactly as written (a value "Data\" keeps its
// backslash); writing keeps every other section, key, comment and their order. The file is
// UTF-8 and is rewritten atomically.
class IniFile
{
public:
    IniFile() = default;
    explicit IniFile(const QString &path) { load(path); }

    // Reads the file; a missing or unreadable file gives an empty profile.
    void load(const QString &path);
    // Reads a file's bytes (UTF-8, a byte-order mark and any line break accepted); the path is
    // kept.
    void parse(const QByteArray &bytes);
    // Writes the whole profile back to its path; false when the file cannot be written.
    bool save() const;
    // The bytes save() writes: every line as it stands, each ended by CR LF.
    QByteArray toBytes() const;
    const QString &path() const { return m_path; }

    std::optional<QString> value(const QString &section, const QString &key) const;
    QString readString(const QString &section, const QString &key, const QString &def) const;
    // An integer written in decimal; a missing key or a value that is not an integer gives def.
    int readInteger(const QString &section, const QString &key, int def) const;
    // Read as an integer: any non-zero value is true.
    bool readBool(const QString &section, const QString &key, bool def) const;

    void setValue(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    bool hasSection(const QString &section) const;

private:
    struct Line {
        QString text; // the line as it stands in the file
        QString section; // section the line belongs to
        QString key; // empty for headers, comments and blank lines
        QString value;
    };
    int findKey(const QString &section, const QString &key) const;

    QString m_path;
    std::vector<Line> m_lines;
};

} // namespace vivrelo
