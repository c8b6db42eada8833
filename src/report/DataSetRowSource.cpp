#include "report/DataSetRowSource.h"

#include "db/DataSet.h"

namespace vivrelo {

QStringList DataSetRowSource::fieldNames() const
{
    QStringList names;
    if (m_ds.isActive())
        for (const FieldDef &f : m_ds.fields())
            names << f.name;
    return names;
}

bool DataSetRowSource::first()
{
    if (!m_ds.isActive())
        return false;
    m_ds.first();
    return !m_ds.eof();
}

bool DataSetRowSource::next()
{
    m_ds.next();
    return !m_ds.eof();
}

QVariant DataSetRowSource::value(int field) const
{
    return m_ds.field(field).value();
}

} // namespace vivrelo
