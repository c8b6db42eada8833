#pragma once

#include <QImage>
#include <QString>

namespace vivrelo {

class TDataModuleObject;

// The two textures of the main window's notebook, kept in the object store under the list
// file, with their default pictures installed beside the program.
enum class SkinTexture { Background, Cover };

// "BackgroundBmp" or "CoverBmp"; the attribute is always "Image".
QString SkinClassName(SkinTexture texture);
// Program directory + "Image/Skin/DefaultBackground.bmp" or "DefaultCover.bmp".
QString DefaultSkinFile(SkinTexture texture);

// Reads a Windows bitmap file. A missing file, or one that is not a readable bitmap, throws
// Error naming the file and the fault.
QImage LoadBitmapPicture(const QString &path);

// The stored texture of the list file; when none is stored yet, the default picture is
// stored first. The default file is read every time: when it cannot be read the Error is
// passed on and nothing is stored.
QImage ReadSkinTexture(TDataModuleObject &objects, int listFileId, SkinTexture texture);
// Stores the texture (created when missing, replaced otherwise).
void WriteSkinTexture(TDataModuleObject &objects, int listFileId, SkinTexture texture, const QImage &picture);

} // namespace vivrelo
