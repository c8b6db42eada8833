// Helpers shared by the benchmark programs: the run's scratch folder and copies of the
// template database, processor-time clocks and peak memory, the surroundings of an upgrade
// run, and a reporter that keeps each run's times for the ratios to the reference measured in
// the same run.
#pragma once

#include "base/AppValues.h"
#include "db/Connection.h"
#include "db/ConnectionConfig.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace vivrelo::bench {

// A scratch folder for the whole run, removed at its end.
inline QTemporaryDir &ScratchFolder()
{
    static QTemporaryDir dir;
    return dir;
}

// Copies the build's template database to `path`, writable by its owner.
inline bool CopyTemplateDatabase(const QString &path)
{
    return QFile::copy(QStringLiteral(VIVRELO_PROGRAM_DIR "/Ressources/DB/Data/Access/VIVRELO.MDB"), path)
        && QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

// A copy of the template database named `name` in the scratch folder, filled by `fill` in one
// transaction the first time it is asked for.
template <typename Fill>
QString ScratchCatalogue(const QString &name, Fill fill)
{
    const QString path = ScratchFolder().path() + u'/' + name;
    if (QFile::exists(path))
        return path;
    CopyTemplateDatabase(path);
    Connection db;
    db.open(path);
    db.exec(QStringLiteral("BEGIN"));
    fill(db);
    db.exec(QStringLiteral("COMMIT"));
    return path;
}

// Processor time of this thread, in seconds: on a shared machine the wall clock also counts
// the other programs.
inline double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Seconds per iteration of a total timed by hand.
inline double PerIteration(const benchmark::State &state, double total)
{
    return state.iterations() ? total / double(state.iterations()) : 0;
}

// The process's resident-set high-water mark, in kB.
inline long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// An upgrade run in the scratch folder: the data directory data/, the database the upgrade
// works on, and the prepared database each run starts a fresh copy from.
inline QString UpgradeDataDir()
{
    return ScratchFolder().path() + QStringLiteral("/data/");
}
inline QString UpgradeDatabasePath()
{
    return UpgradeDataDir() + QStringLiteral("Data/Access/VIVRELO.MDB");
}
inline QString PreparedDatabasePath()
{
    return ScratchFolder().path() + QStringLiteral("/prepared.db");
}

// Points the program's values at the build's program directory and the upgrade's data directory.
inline void UseUpgradeDataDir()
{
    InitApplicationValues(QStringLiteral(VIVRELO_PROGRAM_DIR "/"));
    App().dataDir = UpgradeDataDir();
    QDir().mkpath(UpgradeDataDir() + QStringLiteral("Data/Access"));
    DbConfig().databaseDir = UpgradeDataDir() + QStringLiteral("Data/");
}

// The upgrade's database replaced by a fresh copy of the prepared one, and opened.
inline void OpenFreshCopy(Connection &connection)
{
    connection.close();
    QFile::remove(UpgradeDatabasePath());
    QFile::copy(PreparedDatabasePath(), UpgradeDatabasePath());
    connection.open(UpgradeDatabasePath());
}

// Times `run()` once an iteration, each on a fresh copy of the prepared database opened in
// `connection`; `setUp()` runs untimed after each copy.
template <typename SetUp, typename Run>
void TimeOnFreshCopies(benchmark::State &state, Connection &connection, SetUp setUp, Run run)
{
    for (auto _ : state) {
        state.PauseTiming();
        OpenFreshCopy(connection);
        setUp();
        state.ResumeTiming();
        run();
    }
}

// The offscreen window platform, unless the caller chose another.
inline void UseOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// main() of a program whose benchmarks need an application object (QGuiApplication,
// QApplication) on the offscreen platform.
template <typename Application>
int RunWithApplication(int argc, char **argv)
{
    UseOffscreenPlatform();
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Shows the runs as usual (in colour on a terminal only) and keeps the mean real and
// processor times per iteration of each run that went through, by benchmark name, in the
// run's unit.
class TimesReporter : public benchmark::ConsoleReporter
{
public:
    TimesReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular)
    { }

    struct Times {
        double real = 0;
        double cpu = 0;
    };

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (!run.error_occurred && run.iterations > 0)
                times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }

    // The times of one benchmark, or null when it did not run.
    const Times *find(const std::string &name) const
    {
        const auto it = times.find(name);
        return it == times.end() ? nullptr : &it->second;
    }

    // The runs of a benchmark function by their arguments ("/10000/1", "" without any).
    std::map<std::string, Times> family(const std::string &function) const
    {
        std::map<std::string, Times> runs;
        for (const auto &[name, t] : times) {
            const auto slash = name.find('/');
            if (name.substr(0, slash) == function)
                runs[slash == std::string::npos ? std::string() : name.substr(slash)] = t;
        }
        return runs;
    }

    std::map<std::string, Times> times;
};

} // namespace vivrelo::bench
