// Builds the template database from the schema script: the file is made beside its final
// name and renamed into place only once the whole script has run.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vivrelo-make-template SCHEMA.sql OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream script;
    script << in.rdbuf();
    const std::string target = argv[2];
    const std::string work = target + ".new";
    std::remove(work.c_str());
    sqlite3 *db = nullptr;
    if (sqlite3_open(work.c_str(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s\n", work.c_str());
        return 1;
    }
    char *error = nullptr;
    const int rc = sqlite3_exec(db, script.str().c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error ? error : "error");
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(work.c_str());
        return 1;
    }
    sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (std::rename(work.c_str(), target.c_str()) != 0) {
        std::fprintf(stderr, "cannot rename %s\n", work.c_str());
        return 1;
    }
    return 0;
}
