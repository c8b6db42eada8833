#include "base/SystemErrors.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace vivrelo {

QString NothingChanged()
{
    return QStringLiteral("rien n'a été modifié");
}

QString ExplainFailure(const QString &cause, const QString &kept, const QString &engineText)
{
    QString text = cause;
    if (!kept.isEmpty())
        text += QStringLiteral(" ; ") + kept;
    text += u'.';
    const QString engine = engineText.trimmed();
    if (!engine.isEmpty())
        text += QStringLiteral(" (%1)").arg(engine);
    return text;
}

QString FileSystemErrorCause(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Le disque est plein : il n'y reste plus de place");
    case EACCES:
    case EPERM:
        return QStringLiteral("L'accès au fichier ou au dossier est refusé");
    case EROFS:
        return QStringLiteral("Le disque ou le dossier est en lecture seule");
    case ENOENT:
        return QStringLiteral("Le fichier ou le dossier est introuvable");
    case ENOTDIR:
        return QStringLiteral("Un élément du chemin n'est pas un dossier");
    case EISDIR:
        return QStringLiteral("Le chemin désigne un dossier et non un fichier");
    case EEXIST:
        return QStringLiteral("Un fichier de ce nom existe déjà");
    case EBUSY:
    case ETXTBSY:
    case EWOULDBLOCK:
        return QStringLiteral("Le fichier est utilisé par un autre programme");
    case ENAMETOOLONG:
        return QStringLiteral("Le nom du fichier est trop long");
    case EIO:
        return QStringLiteral("Le disque n'a pas pu être lu ou écrit");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Trop de fichiers sont ouverts");
    case ENOMEM:
        return QStringLiteral("La mémoire manque");
    case EXDEV:
        return QStringLiteral("Le fichier ne peut pas être déplacé vers un autre disque");
    case EFBIG:
        return QStringLiteral("Le fichier est trop grand");
    case ELOOP:
        return QStringLiteral("Le chemin passe par un lien symbolique refusé");
    default:
        return {};
    }
}

QString FileSystemErrorText(int errorNumber, const QString &kept)
{
    const QString cause = FileSystemErrorCause(errorNumber);
    if (!cause.isEmpty())
        return ExplainFailure(cause, kept);
    return ExplainFailure(QStringLiteral("Le système a refusé l'opération sur le fichier"), kept,
        errorNumber ? QString::fromLocal8Bit(std::strerror(errorNumber)) : QString());
}

QString FileDeviceErrorText(const QFileDevice &file, int errorNumber, const QString &kept)
{
    if (!FileSystemErrorCause(errorNumber).isEmpty())
        return FileSystemErrorText(errorNumber, kept);
    QString cause;
    switch (file.error()) {
    case QFileDevice::NoError:
        return ExplainFailure(QStringLiteral("L'opération sur le fichier a échoué"), kept);
    case QFileDevice::ReadError:
        cause = QStringLiteral("Le fichier n'a pas pu être lu");
        break;
    case QFileDevice::WriteError:
        cause = QStringLiteral("Le fichier n'a pas pu être écrit");
        break;
    case QFileDevice::OpenError:
        cause = QStringLiteral("Le fichier n'a pas pu être ouvert");
        break;
    case QFileDevice::PermissionsError:
        cause = QStringLiteral("L'accès au fichier est refusé");
        break;
    case QFileDevice::ResourceError:
        cause = QStringLiteral("Le système manque de place ou de ressources");
        break;
    case QFileDevice::RemoveError:
        cause = QStringLiteral("Le fichier n'a pas pu être supprimé");
        break;
    case QFileDevice::RenameError:
        cause = QStringLiteral("Le fichier n'a pas pu être renommé");
        break;
    case QFileDevice::CopyError:
        cause = QStringLiteral("Le fichier n'a pas pu être copié");
        break;
    default:
        cause = QStringLiteral("L'opération sur le fichier a échoué");
        break;
    }
    return ExplainFailure(cause, kept, file.errorString());
}

QString UnexpectedErrorText(const std::exception &e)
{
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return ExplainFailure(
            QStringLiteral("La mémoire manque pour terminer l'opération"), QStringLiteral("elle a été interrompue"));
    return ExplainFailure(
        QStringLiteral("Une erreur inattendue a interrompu l'opération"), {}, QString::fromLocal8Bit(e.what()));
}

} // namespace vivrelo
