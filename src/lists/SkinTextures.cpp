#include "lists/SkinTextures.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "db/ObjectStore.h"
#include "imaging/Bmp.h"

namespace vivrelo {

namespace {
const QString kAttribute = QStringLiteral("Image");
}

QString SkinClassName(SkinTexture texture)
{
    return texture == SkinTexture::Background ? QStringLiteral("BackgroundBmp") : QStringLiteral("CoverBmp");
}

QString DefaultSkinFile(SkinTexture texture)
{
    return App().programDir + QStringLiteral("Image/Skin/")
        + (texture == SkinTexture::Background ? QStringLiteral("DefaultBackground.bmp")
                                              : QStringLiteral("DefaultCover.bmp"));
}

QImage LoadBitmapPicture(const QString &path)
{
    Bitmap bitmap;
    try {
        bitmap = To24Bit(LoadBmpFile(path));
    } catch (const Error &e) {
        fail(QStringLiteral("Le fichier « %1 » n'est pas une image bitmap lisible.\r%2").arg(path, e.message()));
    }
    const QImage view(
        bitmap.bits.data(), bitmap.width, bitmap.height, qsizetype(bitmap.stride()), QImage::Format_BGR888);
    return view.convertToFormat(QImage::Format_RGB32);
}

QImage ReadSkinTexture(TDataModuleObject &objects, int listFileId, SkinTexture texture)
{
    const QImage defaultPicture = LoadBitmapPicture(DefaultSkinFile(texture));
    QImage picture = defaultPicture;
    objects.ReadPicture(listFileId, SkinClassName(texture), kAttribute, picture, defaultPicture);
    return picture;
}

void WriteSkinTexture(TDataModuleObject &objects, int listFileId, SkinTexture texture, const QImage &picture)
{
    objects.WritePicture(listFileId, SkinClassName(texture), kAttribute, picture);
}

} // namespace vivrelo
