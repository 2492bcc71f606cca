// Fuzz target: a store folder built from the input, as an attacker who writes into a browser
// profile could leave it, then opened as the scan and the clean open it: SQLite's store and
// its side files (the count probe, a read-write connection) and a LevelDB folder (the Local
// Storage rewrite). Entries may be pipes, links to each other, outside the folder or to a
// device, second hard links or folders. Nothing may block, and nothing outside the folder
// may change.
//
// The input is a list of steps: an operation byte, a name byte, a two-byte little-endian
// length and that many bytes of data. Operations 0 to 4 replace what the name held.
//   0 regular file holding the data      4 folder
//   1 named pipe                         5 LevelDB store written by the library, its records
//   2 symbolic link, data[0] picks the     made from the data (a site and an extension)
//     target: another entry (data[1]),   6 SQLite database made by running the data as SQL
//     the outside file, a device, a      7 remove the entry
//     missing outside name
//   3 hard link to another entry (data[0])

#include "core/DatabaseController.h"
#include "targets/base/CountProbe.h"
#include "targets/chromiumlayout/LocalStorageLevelDb.h"

#include <leveldb/db.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const names[] = {
    "History",         "History-journal", "History-wal", "History-shm", "CURRENT",    "LOCK",       "LOG",
    "MANIFEST-000001", "MANIFEST-000002", "000003.log",  "000004.ldb",  "000005.ldb", "000006.log", "lost"};
constexpr size_t nameCount = sizeof names / sizeof *names;

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The libraries write their files in a folder of their own, and the files are then moved in:
// run on the crafted folder itself, they would block on its pipes before the code under test.
void moveEntriesInto(const std::string &from, const std::string &folder)
{
    for (const auto &entry : std::filesystem::directory_iterator(from))
        ::rename(entry.path().c_str(), (folder + '/' + entry.path().filename().string()).c_str());
    std::filesystem::remove_all(from);
}

void writeLevelDb(const std::string &make, const std::string &folder, const std::string &data)
{
    leveldb::Options options;
    options.create_if_missing = true;
    leveldb::DB *db = nullptr;
    if (leveldb::DB::Open(options, make, &db).ok()) {
        db->Put({}, "VERSION", "1");
        db->Put({}, std::string("_https://site.example\0k", 23), data);
        db->Put({}, std::string("_chrome-extension://abc\0k", 25), data);
    }
    delete db;
    moveEntriesInto(make, folder);
}

void writeSqlite(const std::string &make, const std::string &path, const std::string &sql)
{
    std::filesystem::create_directory(make);
    sqlite3 *db = nullptr;
    if (sqlite3_open((make + "/db").c_str(), &db) == SQLITE_OK) {
        int steps = 0;
        sqlite3_progress_handler(
            db, 1000, [](void *count) { return ++*static_cast<int *>(count) > 1000 ? 1 : 0; }, &steps);
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    ::rename((make + "/db").c_str(), path.c_str());
    std::filesystem::remove_all(make);
}

std::string snapshot(const std::string &outside)
{
    std::string state;
    for (const auto &entry : std::filesystem::directory_iterator(outside))
        state += entry.path().filename().string() + '=' + readAll(entry.path().string()) + '\n';
    return state;
}

void build(const std::string &folder, const std::string &outside, const std::string &make, const uint8_t *data,
           size_t size)
{
    for (size_t at = 0; at + 4 <= size;) {
        const int op = data[at] % 8;
        const std::string entry = folder + '/' + names[data[at + 1] % nameCount];
        const size_t length = std::min<size_t>(size_t(data[at + 2]) | size_t(data[at + 3]) << 8, size - at - 4);
        const std::string bytes(reinterpret_cast<const char *>(data + at + 4), length);
        at += 4 + length;
        const uint8_t pick0 = length > 0 ? uint8_t(bytes[0]) : 0, pick1 = length > 1 ? uint8_t(bytes[1]) : 0;
        if (op <= 4) // each of these puts a new entry in the name's place
            ::unlink(entry.c_str());
        switch (op) {
        case 0: {
            const int fd = ::open(entry.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd >= 0) {
                [[maybe_unused]] const ssize_t written = ::write(fd, bytes.data(), bytes.size());
                ::close(fd);
            }
            break;
        }
        case 1:
            ::mkfifo(entry.c_str(), 0600);
            break;
        case 2: {
            const std::string targets[] = {names[pick1 % nameCount], outside + "/victim", "/dev/zero",
                                           outside + "/made"};
            ::symlink(targets[pick0 % 4].c_str(), entry.c_str());
            break;
        }
        case 3:
            ::link((folder + '/' + names[pick0 % nameCount]).c_str(), entry.c_str());
            break;
        case 4:
            ::mkdir(entry.c_str(), 0700);
            break;
        case 5:
            writeLevelDb(make, folder, bytes);
            break;
        case 6:
            writeSqlite(make, entry, bytes);
            break;
        default:
            ::unlink(entry.c_str());
            ::rmdir(entry.c_str());
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir scratch;
    const std::string base = scratch.path().toStdString();
    const std::string folder = base + "/store", outside = base + "/outside", fresh = base + "/fresh";
    const std::string make = base + "/make";
    for (const std::string &made : {folder, outside, fresh, make})
        std::filesystem::remove_all(made);
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(outside);
    std::ofstream(outside + "/victim", std::ios::binary) << "kept outside the store\n";
    build(folder, outside, make, data, size);
    // Only regular files outside: the snapshot reads them.
    const std::string before = snapshot(outside);

    const QString store = QString::fromStdString(folder);
    const QString history = store + QStringLiteral("/History");
    QList<int> counts;
    for (const char *statement : {"SELECT count(*) FROM urls;", "SELECT count(*) FROM segments;"})
        CountProbe::itemsExist(counts, history, QString::fromLatin1(statement));
    if (sqlite3 *db = DatabaseController::openStore(history)) {
        int steps = 0;
        sqlite3_progress_handler(
            db, 1000, [](void *count) { return ++*static_cast<int *>(count) > 1000 ? 1 : 0; }, &steps);
        sqlite3_exec(db, "BEGIN; DELETE FROM urls; ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    LocalStorageLevelDb::writeKeptRecords(store, QString::fromStdString(fresh), {QStringLiteral("chrome-extension_")});

    // Whatever the folder held, nothing outside it was written, made or removed.
    if (snapshot(outside) != before)
        std::abort();
    return 0;
}
