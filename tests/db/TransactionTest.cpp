#include "db/Transaction.h"
#include "db/DbFixture.h"

#include <gtest/gtest.h>

using namespace vivrelo;

TEST(Transaction, KeepsAllOrNothingAndNests)
{
    test::TestDirs dirs;
    Connection c;
    c.open(test::CreateDatabase(dirs.root() + QStringLiteral("t.db")));
    const auto count = [&c] { return c.scalar(QStringLiteral("SELECT count(*) FROM ITEMS")).toInt(); };
    {
        Transaction unit(c);
        c.exec(QStringLiteral("INSERT INTO ITEMS (Title) VALUES ('a')"));
        // Left by an error: undone.
    }
    EXPECT_EQ(count(), 0);
    {
        Transaction outer(c);
        c.exec(QStringLiteral("INSERT INTO ITEMS (Title) VALUES ('b')"));
        {
            Transaction inner(c);
            c.exec(QStringLiteral("INSERT INTO ITEMS (Title) VALUES ('c')"));
            inner.commit();
        }
        {
            Transaction inner(c);
            c.exec(QStringLiteral("INSERT INTO ITEMS (Title) VALUES ('d')"));
        }
        outer.commit();
    }
    EXPECT_EQ(test::Rows(c, QStringLiteral("SELECT Title FROM ITEMS ORDER BY Title")),
        (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
}
