#pragma once

#include "DbFixture.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/Connection.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "db/Upgrade.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

#include <gtest/gtest.h>

// Readable failures: texts as UTF-8.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace vivrelo::test {

// Progress calls, as the progress window and the status label receive them.
struct RecordingProgress : ProgressSink {
    QStringList texts;
    int maximum = 0;
    int position = 0;
    int shown = 0;
    int hidden = 0;
    void setTask(const QString &t) override { texts << t; }
    void setMessage(const QString &t) override { texts << t; }
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override { position = p; }
    void show() override { ++shown; }
    void hide() override { ++hidden; }
};

// A data directory holding a copy of the template database, opened, with the clock fixed at
// 05/03/2008 14:07:33.
class UpgradeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dataDir = dirs.root() + QStringLiteral("data/");
        App().dataDir = dataDir;
        ASSERT_TRUE(QDir().mkpath(dataDir + QStringLiteral("Data/Access")));
        DbConfig() = ConnectionConfig{};
        DbConfig().databaseDir = dataDir + QStringLiteral("Data/");
        DbConfig().activeFileName = DbConfig().oledbFileName;
        dbPath = DbConfig().databaseFile();
        ASSERT_TRUE(QFile::copy(TemplatePath(), dbPath));
        QFile::setPermissions(dbPath, QFile::ReadOwner | QFile::WriteOwner);
        conn.open(dbPath);
        SetClockForTests(QDateTime(QDate(2008, 3, 5), QTime(14, 7, 33)));
    }
    void TearDown() override { SetClockForTests({}); }

    QString TemplatePath() const { return dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"); }
    QString writeScript(const QString &text, const QString &name = QStringLiteral("test.maj"))
    {
        dirs.writeFile(dataDir + name, text.toUtf8());
        return name;
    }
    // Runs a script of the data directory and gives the log's lines.
    QStringList run(const QString &text, bool backup = false)
    {
        RunUpgradeScript(conn, dataDir, writeScript(text), backup, prompter, &status, window);
        return log();
    }
    QStringList log() const
    {
        QFile f(dataDir + QStringLiteral("Maj.Log"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    QStringList rows(const QString &sql) { return Rows(conn, sql); }

    TestDirs dirs;
    QString dataDir;
    QString dbPath;
    Connection conn;
    ScriptedPrompter prompter{Answer::No};
    RecordingProgress status;
    RecordingProgress window;
};

inline const QString Stamp = QStringLiteral("05/03/2008-14:07:33 : ");
inline const QString Banner = QStringLiteral("********************* MISE A JOUR TERMINE *********************");
inline const QString AlreadyDone = QStringLiteral("*** Mise à jour déjà effectuée ***");

} // namespace vivrelo::test
