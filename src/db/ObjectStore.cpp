#include "db/ObjectStore.h"

#include "base/Error.h"
#include "db/DataSetRoutines.h"

#include <QBuffer>

namespace vivrelo {

namespace {

// Gives a dataset back closed, with its declared text and no parameters, however the
// operation ends.
class Restore
{
public:
    Restore(DataSet &dataSet)
        : m_ds(dataSet)
        , m_sql(dataSet.sql())
    { }
    ~Restore()
    {
        try {
            m_ds.close();
        } catch (...) { }
        m_ds.setSql(m_sql);
        m_ds.setParameters({});
    }
    Restore(const Restore &) = delete;
    Restore &operator=(const Restore &) = delete;

private:
    DataSet &m_ds;
    QStringList m_sql;
};

} // namespace

QByteArray BmpBytes(const QImage &picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        fail(QStringLiteral("L'image ne peut pas être enregistrée au format BMP."));
    return bytes;
}

TDataModuleObject::TDataModuleObject(Connection &connection)
    : OBJECT_CLASS(&connection)
    , OBJECT_ATTRIBUTE(&connection)
    , OBJECT_VAL_OLE(&connection)
{
    OBJECT_CLASS.setSql({QStringLiteral("SELECT Id, Name FROM OBJECT_CLASS")});
    OBJECT_ATTRIBUTE.setSql({QStringLiteral("SELECT Id, Name, Type FROM OBJECT_ATTRIBUTE")});
    OBJECT_VAL_OLE.setSql({QStringLiteral("SELECT Id, Id_Class, Id_Attribute, UserId, Value FROM OBJECT_VAL_OLE")});
}

int TDataModuleObject::nameId(DataSet &names, const QString &name)
{
    const Restore restore(names);
    names.setSql(names.sql() << QStringLiteral("WHERE NAME=?"));
    names.setParameters({name});
    names.open();
    if (IsDataSetEmpty(names)) {
        names.insert();
        names.field(QStringLiteral("Name")).setValue(name);
        names.post();
    }
    return int(names.field(QStringLiteral("Id")).asInteger());
}

int TDataModuleObject::ClassId(const QString &name)
{
    return nameId(OBJECT_CLASS, name);
}

int TDataModuleObject::AttributeId(const QString &name)
{
    return nameId(OBJECT_ATTRIBUTE, name);
}

bool TDataModuleObject::openValue(int owner, int classKey, int attributeKey)
{
    OBJECT_VAL_OLE.setSql(OBJECT_VAL_OLE.sql() << QStringLiteral("WHERE USERID=? AND ID_CLASS=? AND ID_ATTRIBUTE=?"));
    OBJECT_VAL_OLE.setParameters({owner, classKey, attributeKey});
    OBJECT_VAL_OLE.open();
    if (!IsDataSetEmpty(OBJECT_VAL_OLE))
        return true;
    OBJECT_VAL_OLE.insert();
    OBJECT_VAL_OLE.field(QStringLiteral("UserId")).setValue(owner);
    OBJECT_VAL_OLE.field(QStringLiteral("Id_Class")).setValue(classKey);
    OBJECT_VAL_OLE.field(QStringLiteral("Id_Attribute")).setValue(attributeKey);
    return false;
}

void TDataModuleObject::ReadPicture(
    int owner, const QString &className, const QString &attributeName, QImage &picture, const QImage &defaultPicture)
{
    const int classKey = ClassId(className);
    const int attributeKey = AttributeId(attributeName);
    const Restore restore(OBJECT_VAL_OLE);
    if (!openValue(owner, classKey, attributeKey)) {
        if (!defaultPicture.isNull())
            OBJECT_VAL_OLE.field(QStringLiteral("Value")).setValue(BmpBytes(defaultPicture));
        OBJECT_VAL_OLE.post();
    }
    const QByteArray bytes = OBJECT_VAL_OLE.field(QStringLiteral("Value")).asBytes();
    const QString where = QStringLiteral("\"%1\" / \"%2\"").arg(className, attributeName);
    if (bytes.isEmpty())
        fail(QStringLiteral("Aucune image n'est enregistrée pour %1.").arg(where));
    QImage stored;
    if (!stored.loadFromData(bytes))
        fail(QStringLiteral("L'image enregistrée pour %1 est illisible.").arg(where));
    picture = stored;
}

void TDataModuleObject::WritePicture(
    int owner, const QString &className, const QString &attributeName, const QImage &picture)
{
    const int classKey = ClassId(className);
    const int attributeKey = AttributeId(attributeName);
    const QByteArray bytes = picture.isNull() ? QByteArray() : BmpBytes(picture);
    const Restore restore(OBJECT_VAL_OLE);
    if (openValue(owner, classKey, attributeKey))
        OBJECT_VAL_OLE.edit();
    if (!picture.isNull())
        OBJECT_VAL_OLE.field(QStringLiteral("Value")).setValue(bytes);
    OBJECT_VAL_OLE.post();
}

} // namespace vivrelo
