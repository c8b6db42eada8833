#pragma once

#include "report/ReportEngine.h"

namespace vivrelo {

class DataSet;

// The rows of an open dataset, for a report. A closed dataset has no rows.
class DataSetRowSource : public RowSource
{
public:
    explicit DataSetRowSource(DataSet &dataSet)
        : m_ds(dataSet)
    { }
    QStringList fieldNames() const override;
    bool first() override;
    bool next() override;
    QVariant value(int field) const override;

private:
    DataSet &m_ds;
};

} // namespace vivrelo
