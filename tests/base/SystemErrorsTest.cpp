#include "base/SystemErrors.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <new>

using namespace vivrelo;

TEST(SystemErrors, FileSystemFailuresAreToldInFrenchWithWhatWasKept)
{
    EXPECT_EQ(FileSystemErrorText(ENOSPC, QStringLiteral("l'ancienne archive est gardée")),
        QStringLiteral("Le disque est plein : il n'y reste plus de place ; l'ancienne archive est gardée."));
    EXPECT_EQ(FileSystemErrorText(EACCES),
        QStringLiteral("L'accès au fichier ou au dossier est refusé ; rien n'a été "
                       "modifié."));
    EXPECT_TRUE(FileSystemErrorText(ENOENT).startsWith(QStringLiteral("Le fichier ou le dossier est introuvable")));
    EXPECT_TRUE(FileSystemErrorText(EROFS).startsWith(QStringLiteral("Le disque ou le dossier est en lecture seule")));
    // A number without a French cause of its own keeps the system's words, after a French sentence.
    const QString other = FileSystemErrorText(EPIPE);
    EXPECT_TRUE(other.startsWith(QStringLiteral("Le système a refusé l'opération sur le fichier ; rien n'a été "
                                                "modifié. (")))
        << other.toStdString();
}

TEST(SystemErrors, AFailedFileOpenAndAnUnexpectedExceptionGetAFrenchSentence)
{
    QFile missing(QStringLiteral("/nonexistent-folder/x.txt"));
    ASSERT_FALSE(missing.open(QIODevice::ReadOnly));
    const int errorNumber = errno;
    EXPECT_TRUE(FileDeviceErrorText(missing, errorNumber)
                    .startsWith(QStringLiteral("Le fichier ou le dossier est "
                                               "introuvable")));
    EXPECT_TRUE(FileDeviceErrorText(missing, 0).startsWith(QStringLiteral("Le fichier n'a pas pu être ouvert")));
    EXPECT_TRUE(UnexpectedErrorText(std::bad_alloc()).startsWith(QStringLiteral("La mémoire manque")));
}
