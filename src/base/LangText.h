#pragma once

#include "base/AppValues.h"

#include <QString>

namespace vivrelo {

// A text fetched by section and key, with its French default. The system reads no language
// file: every lookup yields its default, "{CR}" turned into the message line break "\r".
QString GetLangText(const QString &section, const QString &key, const QString &defaultText);

// The texts the system fetches through the lookup, under their stable section and key.
struct LangTextRef {
    const char *section;
    const char *key;
    const char16_t *defaultText;
};
QString GetLangText(const LangTextRef &text);

namespace lang {
inline constexpr LangTextRef UpgradeBackupTask{"Lib_Bd_Maj", "String1", u"MISE A JOUR (Sauvegarde)"};
inline constexpr LangTextRef UpgradeDatabaseTask{"Lib_Bd_Maj", "String2", u"MISE A JOUR (Base de données)"};
inline constexpr LangTextRef UpgradePreparing{"Lib_Bd_Maj", "String3", u"Mise à jour (préparation) ..."};
inline constexpr LangTextRef UpgradeTesting{"Lib_Bd_Maj", "String4", u"Test de la mise à jour ..."};
inline constexpr LangTextRef UpgradeChanging{"Lib_Bd_Maj", "String5", u"Mise à jour de la base de données ..."};
inline constexpr LangTextRef UpgradeCompacting{"Lib_Bd_Maj", "String6", u"Compactage de la base de données"};
inline constexpr LangTextRef PurgeHistoryQuestion{
    "BackupList", "Message1", u"Désirez-vous purger l'historique des sauvegardes ?"};
inline constexpr LangTextRef ReportEmpty{"Lib_Prt", "Message1", u"Il n'y a pas d'enregistrements dans cette liste."};
inline constexpr LangTextRef MaximizeHint{"Common", "MaximizeWindows", u"Agrandir"};
inline constexpr LangTextRef RestoreHint{"Common", "MinimizeWindows", u"Réduire"};
inline constexpr LangTextRef HelpFileMissing{"CommonLib", "String1", u"Le fichier d'aide est introuvable !"};
inline constexpr LangTextRef WebSite{"Common", "WebSite", kWebSiteAddress};
} // namespace lang

} // namespace vivrelo
