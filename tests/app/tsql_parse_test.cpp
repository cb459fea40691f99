// Every statement the server dialect sends must be Transact-SQL that an independent parser reads whole: the
// embedded engine accepts more than a real server would, so it cannot vouch for the texts itself.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "command_support.h"
#include "ledger/db/server_run_lock.h"

namespace tarvenish::test {
namespace {

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (!dir.empty() && ::access((std::filesystem::path(dir) / program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// The statement with its literals and numbers blanked: statements of one shape differ only in the codes and
// figures spliced into them, so the parser needs to see one of each.
std::string shapeOf(const std::string& statement) {
    static const std::regex literal("N?'[^']*'");
    static const std::regex number("\\b[0-9]+(\\.[0-9]+)?\\b");
    return std::regex_replace(std::regex_replace(statement, literal, "''"), number, "0");
}

// Adds the statements of a --log file to `shapes`, one real text per shape; comment lines are not statements.
void collect(const std::string& logPath, std::map<std::string, std::string>& shapes) {
    std::ifstream in(logPath);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.starts_with("--")) continue;
        shapes.emplace(shapeOf(line), line);
    }
}

struct Output {
    int status = -1;
    std::string text;
};

Output runShell(const std::string& command) {
    Output output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        output.text.append(buffer, n);
    const int status = ::pclose(pipe.release());
    output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

TEST(ServerDialectStatements, AreAllParsedWholeAsTransactSql) {
    if (!onPath("sqlfluff")) GTEST_SKIP() << "sqlfluff is not installed";

    ScratchDir dir;
    std::map<std::string, std::string> shapes;
    for (PairMode mode : {PairMode::Warehouse, PairMode::Department}) {
        const std::string db = makeDemo(dir, mode == PairMode::Warehouse ? "w.db" : "d.db", mode);
        const std::string log = dir.file(mode == PairMode::Warehouse ? "w.sql" : "d.sql");
        const auto result = runCommand(
            {"run", "--db", db, "--acc-sql", "1", "--ui", "none", "--on-mismatch", "balance", "--log", log});
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        // The safety net's statements besides: what verify reads and what undo writes back.
        const auto verified = runCommand({"verify", "--db", db, "--acc-sql", "1", "--log", log});
        ASSERT_EQ(verified.exitCode, 0) << verified.out << verified.err;
        const auto undone = runCommand({"undo", "--db", db, "--log", log});
        ASSERT_EQ(undone.exitCode, 0) << undone.out << undone.err;
        collect(log, shapes);
    }
    // Settings, opening rows, the pass, pair summary, stock totals, receipt lines, delete, insert, removal,
    // and the department forms besides.
    ASSERT_GE(shapes.size(), 20u);
    // The run lock's statements on a server, which no run on a SQLite file logs.
    shapes.emplace("take the run lock", std::string(kTakeServerRunLock));
    shapes.emplace("release the run lock", std::string(kReleaseServerRunLock));

    // One statement per line, so that a reported line names the statement.
    const std::string file = dir.file("statements.sql");
    std::vector<std::string> statements;
    {
        std::ofstream out(file);
        for (const auto& [shape, text] : shapes) {
            statements.push_back(text);
            out << text << ";\n";
        }
    }
    const Output parsed = runShell("sqlfluff parse --dialect tsql --templater raw '" + file + "' 2>&1");

    std::string unparsable;
    static const std::regex violation("L:\\s*([0-9]+) \\| P:\\s*[0-9]+ \\|\\s*PRS");
    std::istringstream report(parsed.text);
    for (std::string line; std::getline(report, line);) {
        std::smatch match;
        if (!std::regex_search(line, match, violation)) continue;
        const auto index = std::stoul(match[1].str()) - 1;
        unparsable += line + "\n    in: " + (index < statements.size() ? statements[index] : "?") + "\n";
    }
    EXPECT_EQ(parsed.status, 0) << unparsable;
    EXPECT_EQ(parsed.text.find("unparsable"), std::string::npos) << unparsable;
}

}  // namespace
}  // namespace tarvenish::test
