#pragma once

#include "db/DataSet.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace vivrelo {

class Connection;

// Values addressed by a class name, an attribute name and an owner key (a list file), kept in
// the database so that they travel with its backups. Names get their keys in OBJECT_CLASS and
// OBJECT_ATTRIBUTE; pictures live in OBJECT_VAL_OLE as the bytes of a 24-bit BMP file. At most
// one value row exists per (owner, class, attribute). Every operation builds its statement
// afresh with bound parameters and gives each dataset back with its one-line text, also when
// it fails; errors of the data-access layer reach the caller.
class TDataModuleObject
{
public:
    explicit TDataModuleObject(Connection &connection);

    // The key of the name, creating the name's row when it is missing. Names are compared
    // without regard to case.
    int ClassId(const QString &name);
    int AttributeId(const QString &name);

    // Fills `picture` with the stored value. A missing value is first created, holding
    // `defaultPicture` unless that is null; the default plays no part once a value exists.
    // An empty or unreadable stored value is an Error and leaves `picture` as it was.
    void ReadPicture(int owner, const QString &className, const QString &attributeName, QImage &picture,
        const QImage &defaultPicture = QImage());
    // Stores the picture, creating the value row when missing. A null picture creates an
    // empty value when there is none and leaves an existing value unchanged.
    void WritePicture(int owner, const QString &className, const QString &attributeName, const QImage &picture);

    DataSet OBJECT_CLASS;
    DataSet OBJECT_ATTRIBUTE;
    DataSet OBJECT_VAL_OLE;

private:
    int nameId(DataSet &names, const QString &name);
    // Opens OBJECT_VAL_OLE on the value of the keys; returns true when the row exists.
    bool openValue(int owner, int classKey, int attributeKey);
};

// The picture as the bytes of a 24-bit BMP file (alpha dropped).
QByteArray BmpBytes(const QImage &picture);

} // namespace vivrelo
