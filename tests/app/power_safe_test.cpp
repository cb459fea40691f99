// A run that answers true has its work on the disk, not only in the system's cache: on a write-ahead-log file
// kept with normal syncs, the log is synced after the last write the run made to it.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "command_support.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "ledger/db/connection.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/run.h"

namespace tarvenish::test {
namespace {

// The default file system of SQLite with every write and sync of a write-ahead log watched.
class WatchedLogs final {
public:
    WatchedLogs() {
        s_real = sqlite3_vfs_find(nullptr);
        m_vfs = *s_real;
        m_vfs.zName = "watched-logs";
        m_vfs.szOsFile = static_cast<int>(sizeof(File)) + s_real->szOsFile;
        m_vfs.xOpen = open;
        s_unsyncedWrites = 0;
        s_syncs = 0;
        s_fileSyncs = 0;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~WatchedLogs() {
        sqlite3_vfs_unregister(&m_vfs);
        sqlite3_vfs_register(s_real, 1);
    }
    WatchedLogs(const WatchedLogs&) = delete;
    WatchedLogs& operator=(const WatchedLogs&) = delete;

    // Writes to a log since its last sync.
    [[nodiscard]] static int unsyncedWrites() { return s_unsyncedWrites; }
    [[nodiscard]] static int syncs() { return s_syncs; }
    // Syncs of any file: a commit on a rollback journal syncs the journal and the database.
    [[nodiscard]] static int fileSyncs() { return s_fileSyncs; }

private:
    struct File {
        sqlite3_file base;
        bool log;
        [[nodiscard]] sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
    };
    static File* of(sqlite3_file* file) { return reinterpret_cast<File*>(file); }

    static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int openFlags, int* outFlags) {
        File* watched = of(file);
        watched->log = (openFlags & SQLITE_OPEN_WAL) != 0;
        watched->base.pMethods = nullptr;
        const int rc = s_real->xOpen(s_real, name, watched->real(), openFlags, outFlags);
        if (rc == SQLITE_OK && watched->real()->pMethods != nullptr) {
            s_methods = *watched->real()->pMethods;
            s_methods.xClose = [](sqlite3_file* f) { return of(f)->real()->pMethods->xClose(of(f)->real()); };
            s_methods.xWrite = [](sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
                if (of(f)->log) ++s_unsyncedWrites;
                return of(f)->real()->pMethods->xWrite(of(f)->real(), data, amount, offset);
            };
            s_methods.xSync = [](sqlite3_file* f, int flags) {
                ++s_fileSyncs;
                if (of(f)->log) {
                    s_unsyncedWrites = 0;
                    ++s_syncs;
                }
                return of(f)->real()->pMethods->xSync(of(f)->real(), flags);
            };
            forwardTheRest();
            watched->base.pMethods = &s_methods;
        }
        return rc;
    }

    // Every other method goes to the real file as it is.
    static void forwardTheRest();

    static inline sqlite3_vfs* s_real = nullptr;
    static inline sqlite3_io_methods s_methods{};
    static inline int s_unsyncedWrites = 0;
    static inline int s_syncs = 0;
    static inline int s_fileSyncs = 0;
    sqlite3_vfs m_vfs{};
};

void WatchedLogs::forwardTheRest() {
    s_methods.xRead = [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
        return of(f)->real()->pMethods->xRead(of(f)->real(), data, amount, offset);
    };
    s_methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
        return of(f)->real()->pMethods->xTruncate(of(f)->real(), size);
    };
    s_methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
        return of(f)->real()->pMethods->xFileSize(of(f)->real(), size);
    };
    s_methods.xLock = [](sqlite3_file* f, int lock) {
        return of(f)->real()->pMethods->xLock(of(f)->real(), lock);
    };
    s_methods.xUnlock = [](sqlite3_file* f, int lock) {
        return of(f)->real()->pMethods->xUnlock(of(f)->real(), lock);
    };
    s_methods.xCheckReservedLock = [](sqlite3_file* f, int* out) {
        return of(f)->real()->pMethods->xCheckReservedLock(of(f)->real(), out);
    };
    s_methods.xFileControl = [](sqlite3_file* f, int op, void* arg) {
        return of(f)->real()->pMethods->xFileControl(of(f)->real(), op, arg);
    };
    s_methods.xSectorSize = [](sqlite3_file* f) {
        return of(f)->real()->pMethods->xSectorSize(of(f)->real());
    };
    s_methods.xDeviceCharacteristics = [](sqlite3_file* f) {
        return of(f)->real()->pMethods->xDeviceCharacteristics(of(f)->real());
    };
    s_methods.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
        return of(f)->real()->pMethods->xShmMap(of(f)->real(), page, size, extend, out);
    };
    s_methods.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
        return of(f)->real()->pMethods->xShmLock(of(f)->real(), offset, n, flags);
    };
    s_methods.xShmBarrier = [](sqlite3_file* f) { of(f)->real()->pMethods->xShmBarrier(of(f)->real()); };
    s_methods.xShmUnmap = [](sqlite3_file* f, int remove) {
        return of(f)->real()->pMethods->xShmUnmap(of(f)->real(), remove);
    };
    s_methods.xFetch = [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
        return of(f)->real()->pMethods->xFetch(of(f)->real(), offset, amount, out);
    };
    s_methods.xUnfetch = [](sqlite3_file* f, sqlite3_int64 offset, void* page) {
        return of(f)->real()->pMethods->xUnfetch(of(f)->real(), offset, page);
    };
}

TEST(ARunThatAnswersTrue, HasSyncedTheWriteAheadLogAfterItsLastWrite) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse);
    const WatchedLogs logs;
    setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
    RunContext context;
    context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Balance);
    // The host keeps its own connection open, so that no closing checkpoint syncs the log for the run.
    const ConnectionPtr host = Connection::open(path);
    ASSERT_TRUE(executeRun(context, DialectChoice::fromHostFlag(1), host));
    EXPECT_GT(WatchedLogs::syncs(), 0);
    EXPECT_EQ(WatchedLogs::unsyncedWrites(), 0);
    setMessagePresenter(nullptr);
    host->close();
    ConnectionPool::clear();
}

// An unattended policy answers each dialog at once: its confirms join the batch of rebuilt pairs instead of
// each making the work durable before and after the dialog, a sync or more each on a rollback journal.
TEST(AnUnattendedRun, SyncsFewerTimesThanItConfirmsPairs) {
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse, 120, 50);
    LedgerFile(path).exec("PRAGMA journal_mode=DELETE");
    const WatchedLogs files;
    setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
    RunContext context;
    context.presenter = std::make_shared<HeadlessAdjustmentPresenter>(AdjustmentPolicy::Balance);
    ASSERT_TRUE(executeRun(context, DialectChoice::fromHostFlag(1), Connection::open(path)));
    setMessagePresenter(nullptr);
    ConnectionPool::clear();
    ASSERT_GE(context.report.pairsConfirmed, 40);
    EXPECT_LT(WatchedLogs::fileSyncs(), context.report.pairsConfirmed);
}

}  // namespace
}  // namespace tarvenish::test
