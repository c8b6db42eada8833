#include "app/Settings.h"

#include "base/IniFile.h"
#include "base/Paths.h"

#include <QFile>

namespace vivrelo {

namespace {

// One description of the sixteen keys serves both the reading and the writing, so that
// their order and defaults cannot drift apart.
template <typename Ini, typename Visit>
void EachKey(Settings &s, Ini &ini, Visit visit)
{
    const QString p = QStringLiteral("Properties"), w = QStringLiteral("Windows"), sc = QStringLiteral("Scan");
    visit(ini, p, QStringLiteral("FirstLaunch"), s.firstLaunch);
    visit(ini, p, QStringLiteral("TestMdac"), s.testMdac);
    visit(ini, p, QStringLiteral("Splash"), s.splash);
    visit(ini, p, QStringLiteral("SortId"), s.sortId);
    visit(ini, p, QStringLiteral("HideBigFontMsg"), s.hideBigFontMsg);
    visit(ini, p, QStringLiteral("ShowCalendar"), s.showCalendar);
    visit(ini, w, QStringLiteral("Left"), s.left);
    visit(ini, w, QStringLiteral("Top"), s.top);
    visit(ini, w, QStringLiteral("Width"), s.width);
    visit(ini, w, QStringLiteral("Height"), s.height);
    visit(ini, w, QStringLiteral("State"), s.state);
    visit(ini, w, QStringLiteral("Style"), s.style);
    visit(ini, sc, QStringLiteral("TwainSource"), s.twainSource);
    visit(ini, sc, QStringLiteral("ShowTwainUI"), s.showTwainUI);
    visit(ini, sc, QStringLiteral("MaxWidth"), s.maxWidth);
    visit(ini, sc, QStringLiteral("JpegQuality"), s.jpegQuality);
}

struct Reader {
    void operator()(const IniFile &ini, const QString &sec, const QString &key, bool &v) const
    {
        v = ini.readBool(sec, key, v);
    }
    void operator()(const IniFile &ini, const QString &sec, const QString &key, int &v) const
    {
        v = ini.readInteger(sec, key, v);
    }
    void operator()(const IniFile &ini, const QString &sec, const QString &key, QString &v) const
    {
        v = ini.readString(sec, key, v).left(255);
    }
};

struct Writer {
    void operator()(IniFile &ini, const QString &sec, const QString &key, bool v) const { ini.writeBool(sec, key, v); }
    void operator()(IniFile &ini, const QString &sec, const QString &key, int v) const
    {
        ini.writeInteger(sec, key, v);
    }
    void operator()(IniFile &ini, const QString &sec, const QString &key, const QString &v) const
    {
        ini.setValue(sec, key, v);
    }
};

} // namespace

Settings &AppSettings()
{
    static Settings settings;
    return settings;
}

QString SettingsFileName()
{
    return AppBaseName() + QStringLiteral(".ini");
}

void LoadSettings(const QString &path)
{
    const IniFile ini(path);
    Settings s;
    EachKey(s, ini, Reader());
    AppSettings() = s;
}

QString SaveSettings(const QString &path)
{
    // A file that is there but cannot be read would be rewritten without its other keys.
    if (FileExists(path) && !QFile(path).open(QIODevice::ReadOnly))
        return QStringLiteral("Impossible d'écrire dans %1").arg(path);
    IniFile ini(path);
    EachKey(AppSettings(), ini, Writer());
    if (!ini.save())
        return QStringLiteral("Impossible d'écrire dans %1").arg(path);
    return {};
}

} // namespace vivrelo
