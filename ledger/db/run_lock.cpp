#include "ledger/db/run_lock.h"

#include <filesystem>
#include <system_error>

#include "base/ascii_text.h"
#include "ledger/db/engine.h"
#include "ledger/db/engine_factory.h"
#include "ledger/db/error.h"
#include "ledger/db/server_run_lock.h"

namespace tarvenish {
namespace {

constexpr std::string_view kLockSuffix = ".tarvenish-lock";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
            hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The file a SQLite data source names, empty for an in-memory database. A URI ("file:...") is read as SQLite
// reads it: an optional "//" authority, a percent-encoded path and a query that may ask for memory.
std::string databaseFile(std::string_view source) {
    if (source.size() < 5 || !equalsNoCase(source.substr(0, 5), "file:"))
        return source == ":memory:" ? std::string() : std::string(source);
    std::string_view rest = source.substr(5);
    const std::size_t queryAt = rest.find_first_of("?#");
    const std::string_view query =
        queryAt == std::string_view::npos ? std::string_view() : rest.substr(queryAt);
    rest = rest.substr(0, queryAt);
    if (query.find("mode=memory") != std::string_view::npos) return {};
    if (rest.starts_with("//")) rest = rest.substr(std::min(rest.find('/', 2), rest.size()));
    const std::string path = percentDecoded(rest);
    return path.empty() || path == ":memory:" ? std::string() : path;
}

}  // namespace

std::string RunLock::lockFileOf(const std::string& file) {
    // One lock file whatever relative path or link names the database.
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(file, error);
    if (error) resolved = file;
    return resolved.string() + std::string(kLockSuffix);
}

std::string RunLock::databaseFilePath(std::string_view connectionString) {
    if (isBlankText(connectionString)) return {};
    const ConnectionSettings settings = parseConnectionString(connectionString);
    if (equalsNoCase(settings.engine, "sqlite")) return databaseFile(settings.dataSource);
    if (!equalsNoCase(settings.engine, "odbc")) return {};
    // A SQLite file behind the ODBC driver is named by the driver's Database= key.
    for (const auto& [key, value] : settings.others)
        if (key == "database") return databaseFile(value);
    return {};
}

std::string RunLock::lockFilePath(std::string_view connectionString) {
    // No connection string reaches no database; the run itself reports that.
    if (isBlankText(connectionString)) return {};
    const ConnectionSettings settings = parseConnectionString(connectionString);
    if (!equalsNoCase(settings.engine, "sqlite")) return {};
    const std::string file = databaseFile(settings.dataSource);
    return file.empty() ? std::string() : lockFileOf(file);
}

RunLock::RunLock(std::string_view connectionString, RunLockUse use) noexcept : m_use(use) {
    try {
        if (!isBlankText(connectionString) &&
            equalsNoCase(parseConnectionString(connectionString).engine, "odbc")) {
            takeThroughOdbc(connectionString);
            return;
        }
        m_path = lockFilePath(connectionString);
        if (m_path.empty()) return;
        take();
    } catch (const std::exception& error) {
        m_status = RunLockStatus::Unavailable;
        m_problem = "the run lock of the account set cannot be taken: " + failureMessage(error);
    } catch (...) {
        m_status = RunLockStatus::Unavailable;
        m_problem = "the run lock of the account set cannot be taken";
    }
}

void RunLock::takeThroughOdbc(std::string_view connectionString) {
    std::unique_ptr<Engine> engine = openEngine(connectionString);
    if (engine->nativeDialect() != Dialect::Server) {
        // A SQLite or desktop file behind the driver: the same lock file as when the file is opened directly.
        const std::string file = databaseFile(engine->databaseFile());
        engine.reset();
        if (file.empty()) return;
        m_path = lockFileOf(file);
        take();
        return;
    }
    m_serverLock = std::make_unique<ServerRunLock>(std::move(engine));
    if (m_serverLock->held()) {
        m_status = RunLockStatus::Held;
        return;
    }
    m_serverLock.reset();
    m_status = RunLockStatus::Busy;
    m_problem =
        "another run holds the account set (the server's application lock \"tarvenish run\" is "
        "taken); nothing was changed";
}

void RunLock::take() {
    // A holder removes the file while it still holds the lock; a lock won on a file that is no longer the
    // one at the path is worthless, so look again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const LockFile::Opened opened = m_file.open(m_path, true);
        if (opened == LockFile::Opened::NotWritable && m_use == RunLockUse::Read) {
            shareWithoutWriting(m_file.error());
            return;
        }
        if (opened != LockFile::Opened::Yes) {
            m_status = RunLockStatus::Unavailable;
            m_problem =
                "cannot create the run lock file " + m_path + ": " + m_file.error() + "; nothing was changed";
            return;
        }
        if (!lockOrGiveUp(true)) return;
        if (m_file.isFileAt(m_path)) {
            m_status = RunLockStatus::Held;
            return;
        }
        m_file.close();
    }
    m_status = RunLockStatus::Busy;
    m_problem = "the run lock file " + m_path + " keeps changing hands; nothing was changed";
}

void RunLock::shareWithoutWriting(const std::string& createError) {
    const LockFile::Opened opened = m_file.open(m_path, false);
    if (opened == LockFile::Opened::Missing) {
        // A run makes the file before it changes anything, and nobody can make it here.
        m_status = RunLockStatus::NotNeeded;
        m_path.clear();
        return;
    }
    if (opened != LockFile::Opened::Yes) {
        m_status = RunLockStatus::Unavailable;
        m_problem =
            "cannot create the run lock file " + m_path + ": " + createError + "; nothing was changed";
        return;
    }
    if (!lockOrGiveUp(false)) return;
    m_shared = true;
    m_status = RunLockStatus::Held;
}

bool RunLock::lockOrGiveUp(bool exclusive) {
    const LockFile::Locked locked = m_file.tryLock(exclusive);
    if (locked == LockFile::Locked::Yes) return true;
    m_file.close();
    m_status = locked == LockFile::Locked::Busy ? RunLockStatus::Busy : RunLockStatus::Unavailable;
    m_problem = locked == LockFile::Locked::Busy ? "another run holds the account set (run lock file " +
                                                       m_path + " is locked); nothing was changed"
                                                 : "cannot lock the run lock file " + m_path + ": " +
                                                       m_file.error() + "; nothing was changed";
    return false;
}

RunLock::~RunLock() {
    m_serverLock.reset();
    if (!m_file.isOpen()) return;
    if (!m_shared) LockFile::remove(m_path);
    m_file.close();
}

}  // namespace tarvenish
