#include "db/DataSet.h"

#include "app/Error.h"
#include "db/Connection.h"

namespace vivrelo {

struct DataSet::Store {};

DataSet::DataSet(Connection *connection) : m_conn(connection) {}
DataSet::~DataSet() = default;

void DataSet::open()
{
    fail(QStringLiteral("Ensemble de données : pas encore disponible."));
}

} // namespace vivrelo
