#pragma once

#include <QColor>
#include <QDateTime>
#include <QString>

namespace vivrelo {

// The maker's addresses, written into the warning files, the connection failure message and
// the web-site command. One place for each.
inline constexpr char16_t kWebSiteAddress[] = u"https://www.orbelin-software.fr/vivrelo";
inline constexpr char16_t kContactAddress[] = u"contact@orbelin-software.fr";
inline constexpr char16_t kSupportAddress[] = u"support@orbelin-software.fr";

// The process-wide application values, written during start-up and read by the rest of the
// system. Directory values are native paths that end with the directory separator.
struct AppValues {
    QString productName = QStringLiteral("Talvane Vivrelo");
    QString productVersion = QStringLiteral("1.83");
    QString upgradeScriptName = QStringLiteral("BD_183.maj");
    QString programDir; // the process's current directory at start
    QString dataDir; // the program directory until the data directory is chosen
    QString reportsDir; // programDir + "Reports/"
    QString helpFile; // programDir + "doc.html"
    bool vistaOrLater = false; // describes Windows 6 and later: always false here
    bool ready = true;
    bool standardFrame = false;
    bool ownerCentring = true;

    QColor activeTitleStart{51, 152, 255};
    QColor activeTitleEnd{0, 80, 210};
    QColor inactiveTitleStart{160, 190, 250};
    QColor inactiveTitleEnd{104, 137, 206};
    QColor titleText{255, 255, 255};
};

AppValues &App();

// Start-up steps 1 to 5: identity, directories derived from the program directory, switches.
// The program directory is taken as given (the current directory at start).
void InitApplicationValues(const QString &programDir);

// "BD_" + first, third and fourth characters of the version + ".maj".
QString UpgradeScriptNameFor(const QString &productVersion);

// The date and time formats of the whole system: "dd/mm/yyyy" and "hh:mm:ss".
QString ShortDate(const QDate &date);
QString LongTime(const QTime &time);
QDate ParseShortDate(const QString &text); // invalid date when the text is not dd/mm/yyyy

} // namespace vivrelo
