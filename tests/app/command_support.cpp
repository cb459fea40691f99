#include "command_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace tarvenish::test {
namespace {

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The environment without a display: a build with a window front must stay headless under test.
std::vector<std::string> headlessEnvironment() {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (text.starts_with("DISPLAY=") || text.starts_with("WAYLAND_DISPLAY=")) continue;
        result.emplace_back(text);
    }
    return result;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment, const std::string& outPath,
                           const std::string& errPath)
    : m_program(program) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);

    std::vector<std::string> argvText = {program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvText) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> envText = headlessEnvironment();
    for (const std::string& change : environment) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(envText, [&](const std::string& entry) { return entry.starts_with(name + "="); });
        if (change.find('=') != std::string::npos) envText.push_back(change);
    }
    std::vector<char*> envp;
    for (auto& entry : envText) envp.push_back(entry.data());
    envp.push_back(nullptr);

    const int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + program);
}

ChildProcess::~ChildProcess() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void ChildProcess::signal(int number) const {
    if (m_pid > 0) ::kill(m_pid, number);
}

int ChildProcess::wait() {
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0) {
        if (errno != EINTR) throw std::runtime_error("cannot wait for " + m_program);
    }
    m_pid = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
}

CommandResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment) {
    const ScratchDir dir;
    const std::string outPath = dir.file("stdout");
    const std::string errPath = dir.file("stderr");
    ChildProcess child(program, args, environment, outPath, errPath);
    CommandResult result;
    result.exitCode = std::max(child.wait(), -1);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

namespace {
// The driver manager reads the drivers from this folder's odbcinst.ini; the programs started inherit it.
const bool kTestDriversRegistered = ::setenv("ODBCSYSINI", TARVENISH_TEST_ODBCSYSINI, 1) == 0;
}  // namespace

std::string connectionTo(const std::string& path, EngineKind engine) {
    if (engine == EngineKind::Embedded) return path;
    return "Driver=" + std::string(kTestOdbcDriver) + ";Database=" + path + ";";
}

std::string engineName(EngineKind engine) {
    return engine == EngineKind::Embedded ? "Embedded" : "Odbc";
}

CommandResult runCommand(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
    return runProgram(TARVENISH_APP_PATH, args, environment);
}

namespace {
// Every commit of a run syncs the file; on a memory file system that costs nothing, which keeps these
// end-to-end tests quick.
std::filesystem::path scratchRoot() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}
}  // namespace

ScratchDir::ScratchDir() {
    static std::atomic<unsigned> counter{0};
    m_path =
        scratchRoot() / ("tarvenish-app-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string makeDemo(const ScratchDir& dir, std::string_view name, PairMode mode, int pairs,
                     int mismatchPercent) {
    const std::string path = dir.file(name);
    DemoOptions options;
    options.pairs = pairs;
    options.linesPerPair = 2;
    options.mismatchPercent = mismatchPercent;
    options.mode = mode;
    (void)createDemoAccountSet(path, options);
    return path;
}

LedgerFile::LedgerFile(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : "no memory";
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(m_db, 5000);
}

LedgerFile::~LedgerFile() {
    sqlite3_close_v2(m_db);
}

void LedgerFile::exec(std::string_view sql) const {
    char* message = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string error = message ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(error + "; SQL: " + text);
    }
}

std::vector<LedgerFile::Row> LedgerFile::rows(std::string_view sql) const {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
        throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + "; SQL: " + std::string(sql));
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    std::vector<Row> result;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        Row row;
        for (int c = 0; c < sqlite3_column_count(raw); ++c) {
            switch (sqlite3_column_type(raw, c)) {
                case SQLITE_NULL:
                    row.emplace_back(std::nullopt);
                    break;
                case SQLITE_FLOAT: {
                    char text[40];
                    std::snprintf(text, sizeof text, "%.17g", sqlite3_column_double(raw, c));
                    row.emplace_back(text);
                    break;
                }
                default:
                    row.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(raw, c)));
            }
        }
        result.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + "; SQL: " + std::string(sql));
    return result;
}

std::optional<std::string> LedgerFile::scalar(std::string_view sql) const {
    const auto all = rows(sql);
    if (all.empty() || all.front().empty()) return std::nullopt;
    return all.front().front();
}

bool LedgerFile::hasColumn(std::string_view table, std::string_view column) const {
    return scalar("select count(*) from pragma_table_info('" + std::string(table) + "') where name like '" +
                  std::string(column) + "'") != "0";
}

bool LedgerFile::hasTable(std::string_view table) const {
    return scalar("select count(*) from sqlite_master where type='table' and name like '" +
                  std::string(table) + "'") != "0";
}

std::string fileText(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

std::string rowText(const LedgerFile::Row& row) {
    std::ostringstream text;
    for (const auto& value : row) text << (value ? "'" + *value + "'" : "null") << '|';
    return text.str();
}

std::vector<std::string> sortedRows(const LedgerFile& file, std::string_view sql, int blankedColumn) {
    std::vector<std::string> result;
    for (auto row : file.rows(sql)) {
        if (blankedColumn >= 0) row[static_cast<std::size_t>(blankedColumn)].reset();
        result.push_back(rowText(row));
    }
    std::sort(result.begin(), result.end());
    return result;
}

}  // namespace tarvenish::test
