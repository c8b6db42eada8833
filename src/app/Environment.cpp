#include "app/Environment.h"

#include "base/AppValues.h"
#include "base/LangText.h"
#include "base/Paths.h"
#include "db/SqliteErrors.h"

#include <QDesktopServices>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <sqlite3.h>

namespace vivrelo {

namespace {

// Upper case for the letters a to z only; accented letters stay as they are.
QString UpperAsciiLetters(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return result;
}

bool WriteTestFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray line = "admin\r\n";
    const bool written = file.write(line) == line.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

UrlOpener &CurrentOpener()
{
    static UrlOpener opener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    return opener;
}

} // namespace

bool CheckWriteRights(const QString &name, const QString &testFile, Prompter &prompter)
{
    const bool ok = WriteTestFile(testFile);
    // The test file goes in every case, also after a write that failed halfway.
    QFile::remove(testFile);
    if (!ok) {
        const QString folder = testFile.left(testFile.lastIndexOf(QLatin1Char('/')) + 1);
        prompter.error(UpperAsciiLetters(name)
            + QStringLiteral(" : EXECUTION IMPOSSIBLE\r\r"
                             "Pour utiliser ce logiciel vous devez :\r\r"
                             "  - Soit avoir un compte administrateur\r"
                             "  - Soit avoir des droits en écriture sur le répertoire : ")
            + folder + QStringLiteral("\r\r"));
    }
    return ok;
}

bool DataAccessVersionTextOk(const QString &version)
{
    QString text = version.left(4);
    const int comma = text.indexOf(QLatin1Char(','));
    if (comma >= 0)
        text[comma] = QLatin1Char('.');
    static const QRegularExpression number(QStringLiteral("^([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    if (!number.match(text).hasMatch())
        return false;
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok && value >= 2.5;
}

bool DataAccessVersionOk()
{
    return DataAccessVersionTextOk(QString::fromLatin1(sqlite3_libversion()));
}

bool DataAccessAvailable(Prompter &prompter)
{
    const int rc = sqlite3_initialize();
    if (rc != SQLITE_OK) {
        prompter.plain(SqliteErrorText(nullptr, rc, QStringLiteral("le programme ne peut pas démarrer")));
        return false;
    }
    return true;
}

UrlOpener SetUrlOpener(UrlOpener opener)
{
    UrlOpener previous = std::move(CurrentOpener());
    CurrentOpener() = std::move(opener);
    return previous;
}

// Nothing on the desktop opened `what` (no xdg-open, no browser).
static QString NoOpenerMessage(const QString &what)
{
    return QStringLiteral("Aucun programme n'a pu ouvrir %1.\r\r"
                          "Installez le paquet xdg-utils (commande xdg-open) et un navigateur web, "
                          "ou ouvrez cette adresse vous-même.")
        .arg(what);
}

void ShowHelpFile(Prompter &prompter)
{
    if (!FileExists(App().helpFile))
        prompter.plain(GetLangText(lang::HelpFileMissing));
    else if (!CurrentOpener()(QUrl::fromLocalFile(App().helpFile)))
        prompter.warn(NoOpenerMessage(QStringLiteral("le guide de l'utilisateur « %1 »").arg(App().helpFile)));
}

void OpenWebSite(Prompter &prompter)
{
    const QString site = GetLangText(lang::WebSite);
    if (!CurrentOpener()(QUrl(site)))
        prompter.warn(NoOpenerMessage(QStringLiteral("le site web « %1 »").arg(site)));
}

} // namespace vivrelo
