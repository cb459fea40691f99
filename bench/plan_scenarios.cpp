#include "bench/plan_scenarios.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "app/demo/demo_account_set.h"
#include "bench/child_process.h"
#include "bench/command_run.h"
#include "bench/set_rebuild.h"
#include "component/run_context.h"
#include "component/run_report.h"
#include "ledger/db/connection.h"
#include "ledger/sqlite/engine.h"
#include "reconcile/run.h"

namespace tarvenish::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kLinesPerPair = 4;
constexpr double kStockLinesPerPair = 9.1;

struct IndexVariant {
    const char* name;
    const char* ddl;  // run on the demo set; "" for the demo set as it is
};

// The demo set as generated, the same without a secondary index, and each index a host might add on top.
constexpr IndexVariant kIndexVariants[] = {
    {"demo", ""},
    {"none", ""},  // every secondary index dropped
    {"RdRecord(ID)", "create index V on RdRecord (ID)"},
    {"RdRecord(cVouchType)", "create index V on RdRecord (cVouchType)"},
    {"RdRecord(cWhCode)", "create index V on RdRecord (cWhCode)"},
    {"RdRecord(cAccounter)", "create index V on RdRecord (cAccounter)"},
    {"RdRecords(ID)", "create index V on RdRecords (ID)"},
    {"RdRecords(cInvCode)", "create index V on RdRecords (cInvCode)"},
    {"Warehouse(cWhCode)", "create index V on Warehouse (cWhCode)"},
    {"Warehouse(cDepCode)", "create index V on Warehouse (cDepCode)"},
    {"IA_Subsidiary(cVouType)", "create index V on IA_Subsidiary (cVouType)"},
    {"IA_Subsidiary(cWhCode)", "create index V on IA_Subsidiary (cWhCode)"},
    {"IA_Subsidiary(cInvCode)", "create index V on IA_Subsidiary (cInvCode)"},
    {"RdRecord(ID,cVouchType,cWhCode,cAccounter)",
     "create index V on RdRecord (ID, cVouchType, cWhCode, cAccounter)"},
    {"RdRecord(ID,cWhCode)", "create index V on RdRecord (ID, cWhCode)"},
    {"RdRecord(ID,cVouchType)", "create index V on RdRecord (ID, cVouchType)"},
    {"RdRecords(cInvCode,ID)", "create index V on RdRecords (cInvCode, ID)"},
    {"RdRecords(ID,cInvCode)", "create index V on RdRecords (ID, cInvCode)"},
    {"IA_Subsidiary(cWhCode,cInvCode)", "create index V on IA_Subsidiary (cWhCode, cInvCode)"},
};

[[noreturn]] void failLoudly(const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "\nBENCHMARK FAILED: %s\n", message.c_str());
    std::exit(1);
}

double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Runs plain SQLite SQL on the file at `path`. Throws std::runtime_error.
void execute(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + path);
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error != nullptr ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(fmt::format("{} on {}: {}", sql, path, message));
}

void applyVariant(const std::string& path, const IndexVariant& variant) {
    if (std::string_view(variant.name) == "none") {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        std::vector<std::string> names;
        sqlite3_stmt* list = nullptr;
        sqlite3_prepare_v2(db, "select name from sqlite_master where type='index' and sql is not null", -1,
                           &list, nullptr);
        while (sqlite3_step(list) == SQLITE_ROW)
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
        sqlite3_finalize(list);
        sqlite3_close(db);
        for (const std::string& name : names) execute(path, "drop index \"" + name + "\"");
        return;
    }
    if (*variant.ddl != '\0') execute(path, variant.ddl);
}

// Exactly the same opening rows, every bit of every value.
bool sameRows(const std::string& left, const std::string& right) {
    const std::string other = "file:" + right + "?mode=ro";
    sqlite3* db = nullptr;
    sqlite3_open_v2(left.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    const std::string attach = "attach database '" + other + "' as other";
    bool same = sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    for (const char* sql : {"select count(*) from (select * from main.IA_Subsidiary except select * from "
                            "other.IA_Subsidiary)",
                            "select count(*) from (select * from other.IA_Subsidiary except select * from "
                            "main.IA_Subsidiary)",
                            "select (select count(*) from main.IA_Subsidiary)-(select count(*) from "
                            "other.IA_Subsidiary)"}) {
        sqlite3_stmt* statement = nullptr;
        same = same && sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
               sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int64(statement, 0) == 0;
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return same;
}

void removeAccountSet(const std::string& path) {
    std::error_code ignored;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(path + suffix, ignored);
}

void freshCopy(const std::string& from, const std::string& to) {
    removeAccountSet(to);
    fs::copy_file(from, to);
}

struct Set {
    std::string path;
    long stockLines = 0;
    int pairs = 0;
};

Set generate(const std::string& path, long size, int warehousesPerItem) {
    const ChildOutcome outcome = runInChild([&] {
        DemoOptions options;
        options.pairs = std::max(1, static_cast<int>(static_cast<double>(size) / kStockLinesPerPair + 0.5));
        options.linesPerPair = kLinesPerPair;
        options.mismatchPercent = 0;
        options.warehousesPerItem = warehousesPerItem;
        options.force = true;
        const DemoSummary s = createDemoAccountSet(path, options);
        return fmt::format("{} {}", s.stockLines, s.pairs);
    });
    if (!outcome.succeeded) failLoudly("generate " + path + ": " + outcome.output);
    Set set{path};
    std::istringstream(outcome.output) >> set.stockLines >> set.pairs;
    return set;
}

struct Timed {
    double seconds = 0.0;
    bool timedOut = false;
};

// The connection string of the set at `path`: the file, or the file with the pairs' lines image off.
std::string connectionOf(const PlanOptions& options, const std::string& path) {
    return options.pairImage ? path : "Data Source=" + path + ";Pair Image=Off;";
}

// The command as a user runs it; every pair agrees, so every pair must be rebuilt.
Timed timeCommand(const PlanOptions& options, const std::string& path, int pairs, const fs::path& dir) {
    const std::string report = (dir / "plan_report.json").string();
    fs::remove(report);
    const CommandOutcome outcome =
        runCommand(options.command,
                   {"run", "--connection", connectionOf(options, path), "--ui", "none", "--report", report},
                   (dir / "plan_output.txt").string(), options.runTimeoutSeconds);
    if (outcome.timedOut) return {outcome.seconds, true};
    if (outcome.exitCode != 0)
        failLoudly(fmt::format("tarvenish run on {} exited with {}: {}", path, outcome.exitCode,
                               outcome.output.substr(0, 2000)));
    std::ifstream in(report);
    const int rebuilt = nlohmann::json::parse(in).at("pairs_regenerated").get<int>();
    if (rebuilt != pairs) failLoudly(fmt::format("{}: {} pairs rebuilt of {}", path, rebuilt, pairs));
    return {outcome.seconds, false};
}

// SQLite's virtual-machine steps of a whole in-process run, as the library makes it; 0 when it was stopped.
std::uint64_t runSteps(const PlanOptions& options, const std::string& path) {
    const ChildOutcome outcome = runInChild(
        [&] {
            const ConnectionPtr connection = Connection::open(connectionOf(options, path));
            auto& engine = dynamic_cast<SqliteEngine&>(connection->engine());
            RunContext context;
            if (!executeRun(context, DialectChoice::fromHostFlag(1), connection))
                throw std::runtime_error("the run answered false");
            return std::to_string(engine.vmSteps());
        },
        options.runTimeoutSeconds);
    if (outcome.timedOut) return 0;
    if (!outcome.succeeded) failLoudly("in-process run of " + path + ": " + outcome.output);
    return std::stoull(outcome.output);
}

double timeLimit(const std::string& path) {
    const ChildOutcome outcome = runInChild([&] {
        const auto start = std::chrono::steady_clock::now();
        (void)setBasedRebuild(path);
        return std::to_string(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    });
    if (!outcome.succeeded) failLoudly("set-based rebuild of " + path + ": " + outcome.output);
    return std::stod(outcome.output);
}

bool anyStopped(const std::vector<Timed>& runs) {
    return std::any_of(runs.begin(), runs.end(), [](const Timed& t) { return t.timedOut; });
}

double medianSeconds(const std::vector<Timed>& runs) {
    std::vector<double> values;
    for (const Timed& t : runs) values.push_back(t.seconds);
    return median(values);
}

// A figure, with ">" when a run was stopped and it is a lower bound.
std::string shown(double value, bool stopped, int decimals = 3) {
    return fmt::format("{}{:.{}f}", stopped ? ">" : "", value, decimals);
}

void benchWarehouses(const PlanOptions& options, const fs::path& dir) {
    struct Row {
        int warehouses = 0;
        Set set;
        std::vector<Timed> command;
        std::vector<double> limit;
        std::uint64_t steps = 0;
    };
    std::vector<Row> rows;
    for (const int n : options.warehousesPerItem) {
        const std::string path = (dir / fmt::format("wh_{}_{}.db", options.size, n)).string();
        rows.push_back({n, generate(path, options.size, n), {}, {}, 0});
        std::fprintf(stderr, "  generated %d warehouses per item: %ld lines, %d pairs\n", n,
                     rows.back().set.stockLines, rows.back().set.pairs);
    }
    const std::string work = (dir / "plan_work.db").string();
    // Interleaved: each round runs every set once, so the machine's slow minutes fall on all of them.
    for (int run = 0; run < options.runs; ++run) {
        for (Row& row : rows) {
            if (anyStopped(row.command)) continue;
            freshCopy(row.set.path, work);
            row.command.push_back(timeCommand(options, work, row.set.pairs, dir));
            freshCopy(row.set.path, work);
            row.limit.push_back(timeLimit(work));
            if (run == 0) {
                freshCopy(row.set.path, work);
                row.steps = runSteps(options, work);
            }
            std::fprintf(stderr, "  round %d, %d warehouses per item: command %.3f s, limit %.3f s\n",
                         run + 1, row.warehouses, row.command.back().seconds, row.limit.back());
        }
    }
    std::printf("\n%-10s | %-9s | %-7s | %9s | %8s | %9s | %13s\n", "wh/item", "lines", "pairs", "command s",
                "limit s", "cmd/limit", "VM steps/pair");
    const auto ratio = [](const Row& row) { return medianSeconds(row.command) / median(row.limit); };
    for (const Row& row : rows)
        std::printf("%-10d | %-9ld | %-7d | %9s | %8.3f | %9s | %13s\n", row.warehouses, row.set.stockLines,
                    row.set.pairs, shown(medianSeconds(row.command), anyStopped(row.command)).c_str(),
                    median(row.limit), shown(ratio(row), anyStopped(row.command), 2).c_str(),
                    row.steps > 0
                        ? fmt::format("{:.0f}", static_cast<double>(row.steps) / row.set.pairs).c_str()
                        : "stopped");
    const auto one = std::find_if(rows.begin(), rows.end(), [](const Row& r) { return r.warehouses == 1; });
    const auto many =
        std::find_if(rows.begin(), rows.end(), [](const Row& r) { return r.warehouses == 500; });
    if (one != rows.end() && many != rows.end())
        std::printf("target: cmd/limit at 500 warehouses per item at most 1.5x that at 1: %sx: %s\n",
                    shown(ratio(*many) / ratio(*one), anyStopped(many->command), 2).c_str(),
                    !anyStopped(many->command) && ratio(*many) <= 1.5 * ratio(*one) ? "met" : "MISSED");
    if (!options.keep)
        for (const Row& row : rows) removeAccountSet(row.set.path);
}

void benchIndexes(const PlanOptions& options, const fs::path& dir) {
    struct Row {
        const IndexVariant* variant = nullptr;
        std::string path;
        std::vector<Timed> command;
        std::uint64_t steps = 0;
        bool sameRows = true;
    };
    const std::string base = (dir / fmt::format("ix_{}.db", options.size)).string();
    const Set set = generate(base, options.size, 0);
    std::fprintf(stderr, "  generated %ld lines, %d pairs\n", set.stockLines, set.pairs);
    std::vector<Row> rows;
    for (const IndexVariant& variant : kIndexVariants) {
        if (!options.indexVariants.empty() &&
            std::find(options.indexVariants.begin(), options.indexVariants.end(), variant.name) ==
                options.indexVariants.end() &&
            std::string_view(variant.name) != "demo")
            continue;
        Row row{&variant, (dir / fmt::format("ix_{}.db", rows.size())).string(), {}, 0, true};
        freshCopy(base, row.path);
        applyVariant(row.path, variant);
        rows.push_back(row);
    }
    const std::string work = (dir / "plan_work.db").string();
    const std::string plain = (dir / "plan_plain.db").string();
    for (int run = 0; run < options.runs; ++run) {
        for (Row& row : rows) {
            if (anyStopped(row.command)) continue;
            const bool first = &row == &rows.front();
            freshCopy(row.path, first ? plain : work);
            row.command.push_back(timeCommand(options, first ? plain : work, set.pairs, dir));
            if (run == 0 && !first && !row.command.back().timedOut) row.sameRows = sameRows(work, plain);
            if (run == 0) {
                freshCopy(row.path, work);
                row.steps = runSteps(options, work);
            }
            std::fprintf(stderr, "  round %d, %s: command %s%.3f s\n", run + 1, row.variant->name,
                         row.command.back().timedOut ? ">" : "", row.command.back().seconds);
        }
    }
    const Row& demo = rows.front();
    const double demoSeconds = medianSeconds(demo.command);
    std::printf("\n%-42s | %9s | %8s | %13s | %9s | %9s\n", "index variant", "command s", "vs demo",
                "VM steps/pair", "vs demo", "same rows");
    double worst = 0.0;
    std::string worstName;
    for (const Row& row : rows) {
        const bool stopped = anyStopped(row.command);
        const double s = medianSeconds(row.command);
        const double stepRatio = demo.steps > 0 && row.steps > 0
                                     ? static_cast<double>(row.steps) / static_cast<double>(demo.steps)
                                     : 0.0;
        std::printf("%-42s | %9s | %8s | %13s | %9s | %9s\n", row.variant->name, shown(s, stopped).c_str(),
                    shown(s / demoSeconds, stopped, 2).c_str(),
                    row.steps > 0 ? fmt::format("{:.0f}", static_cast<double>(row.steps) / set.pairs).c_str()
                                  : "stopped",
                    row.steps > 0 ? fmt::format("{:.3f}", stepRatio).c_str() : "-",
                    stopped ? "-" : (row.sameRows ? "yes" : "NO"));
        if (!row.sameRows) failLoudly(std::string("other rows with the index variant ") + row.variant->name);
        if (std::string_view(row.variant->name) == "none") continue;
        if (s / demoSeconds > worst) worst = s / demoSeconds, worstName = row.variant->name;
    }
    std::printf(
        "target: with any added index no run more than 1.2x slower than the demo set without it: %.2fx (%s): "
        "%s\n",
        worst, worstName.c_str(), worst <= 1.2 ? "met" : "MISSED");
    if (!options.keep) {
        removeAccountSet(base);
        for (const Row& row : rows) removeAccountSet(row.path);
    }
    removeAccountSet(plain);
}

}  // namespace

std::vector<std::string> indexVariantNames() {
    std::vector<std::string> names;
    for (const IndexVariant& variant : kIndexVariants) names.emplace_back(variant.name);
    return names;
}

void benchPlans(const PlanOptions& options, const fs::path& dir) {
    std::printf("plans: %ld stock lines, every pair agreeing, WAL, median of %d interleaved runs\n",
                options.size, options.runs);
    if (!options.warehousesPerItem.empty()) benchWarehouses(options, dir);
    if (options.indexes) benchIndexes(options, dir);
    removeAccountSet((dir / "plan_work.db").string());
}

}  // namespace tarvenish::bench
