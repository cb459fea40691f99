#include "bench/commit_bench.h"

#include <chrono>
#include <memory>
#include <stdexcept>

#include <fmt/format.h>

#include "app/demo/demo_account_set.h"
#include "app/demo/sqlite_bulk.h"
#include "component/message_presenter.h"
#include "component/messages.h"
#include "component/pair_init.h"
#include "component/run_report.h"
#include "component/settings.h"
#include "component/shared_state.h"
#include "dialog/dialog_window.h"
#include "ledger/db/connection.h"
#include "ledger/db/recordset.h"
#include "platform/headless/adjustment_presenters.h"
#include "reconcile/issued_quantity.h"

namespace tarvenish::bench {
namespace {

constexpr int kPairLines = 10;
constexpr std::string_view kWarehouse = "W01";
constexpr std::string_view kItem = "I00001";
constexpr std::int16_t kOk = 0;

long countRows(const ConnectionPtr& conn, std::string_view sql) {
    Recordset rs;
    rs.setCursorLocation(CursorLocation::Client);
    rs.open(sql, *conn, CursorType::Static, LockType::ReadOnly, CommandType::Text);
    const long count = static_cast<long>(rs.field(0).asDouble());
    rs.close();
    return count;
}

std::string firstText(const ConnectionPtr& conn, std::string_view sql) {
    Recordset rs;
    rs.setCursorLocation(CursorLocation::Client);
    rs.open(sql, *conn, CursorType::Static, LockType::ReadOnly, CommandType::Text);
    std::string text = rs.eof() ? std::string() : rs.field(0).displayText();
    rs.close();
    return text;
}

}  // namespace

void createCommitAccountSet(const std::string& path, long ledgerRows) {
    DemoOptions options;
    options.pairs = 1;
    options.linesPerPair = kPairLines;
    options.mismatchPercent = 0;
    options.mode = PairMode::Warehouse;
    options.force = true;
    (void)createDemoAccountSet(path, options);

    SqliteBulk db(path);
    db.exec("begin");
    auto insert = db.prepareInsert(
        "IA_Subsidiary", {"brdflag", "cVouCode", "dvoudate", "dkeepdate", "imonth", "cvoutype", "cWhcode",
                          "cinvcode", "iainquantity", "iincost", "iainprice", "caccounter", "cMaker", "bflag",
                          "bmoneyflag", "bsale", "cpzid"});
    const char* const warehouses[] = {"W01", "W02", "W03"};
    // Items the demo never uses, ten rows each, so every filler row belongs to another pair. Once the pair
    // has its ten rows, the ledger holds them, the demo's opening row of another valuation style, its sales
    // row and the fillers.
    const long fillers = ledgerRows - kPairLines - 2;
    for (long row = 0; row < fillers; ++row) {
        const long pair = row / kPairLines;
        const double quantity = static_cast<double>(10 + row % 90);
        insert.insert({1LL, fmt::format("QC-FILL{:08d}", row), std::string("2025-12-31"),
                       std::string("2026-01-01"), 0LL, std::string("34"), std::string(warehouses[pair % 3]),
                       fmt::format("F{:07d}", pair), quantity, 12.5, quantity * 12.5, std::string("张会计"),
                       std::string("李制单"), 0LL, 1LL, 0LL, std::string("0")});
    }
    db.exec("commit");
}

CommitTimes timeConfirms(const std::string& path, int confirms) {
    const ConnectionPtr conn = Connection::open(path);
    setMessagePresenter(std::make_shared<HeadlessMessagePresenter>());
    SharedState& state = sharedState();
    state.Conn = conn;
    state.DialectFlag = 1;
    state.Dialects = DialectChoice::fromHostFlag(1);
    state.StopRun = false;
    ReadAccountSettings(state.AccountSettings);
    const Date keepDate = GetKeepDate(*conn);
    // The dialog reads each line's remaining quantity from the run's temporary column.
    RunReport report;
    if (!issued_quantity::Prepare(*conn, Dialect::Server, report))
        throw std::runtime_error("the issued-quantity pass failed");

    const std::string whName =
        firstText(conn, fmt::format("select cWhName from Warehouse where cWhCode=N'{}'", kWarehouse));
    const std::string invName =
        firstText(conn, fmt::format("select cInvName from Inventory where cInvCode=N'{}'", kItem));
    const std::string invStd =
        firstText(conn, fmt::format("select cInvStd from Inventory where cInvCode=N'{}'", kItem));
    // A first showing, closed without writing, gives the lines' totals: with them as the pair's ledger totals
    // the confirm writes exactly the ten lines, no balancing line.
    (void)initPair(keepDate, false, std::string(kWarehouse), whName, std::string(kItem), invName, invStd, 0.0,
                   0.0, conn);
    DrivenAdjustmentPresenter look([](DialogWindow&) {});
    (void)look.showModal(PairMode::Warehouse, report);
    const double quantity = state.SumQuantity;
    const double money = state.SumMoney;

    double elapsedMs = 0.0;
    DrivenAdjustmentPresenter confirm([&elapsedMs](DialogWindow& window) {
        const auto start = std::chrono::steady_clock::now();
        window.controls().cmdOkCancel[kOk]->userClick();
        elapsedMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    });

    CommitTimes result;
    for (int round = 0; round <= confirms; ++round) {
        (void)initPair(keepDate, false, std::string(kWarehouse), whName, std::string(kItem), invName, invStd,
                       quantity, money, conn);
        const DialogResult answer = confirm.showModal(PairMode::Warehouse, report);
        if (answer.outcome != PairOutcome::Confirmed || !answer.confirmed ||
            answer.confirmed->rowsInserted != kPairLines)
            throw std::runtime_error(
                fmt::format("confirm {} did not rewrite the pair's {} rows", round, kPairLines));
        if (round > 0) result.milliseconds.push_back(elapsedMs);
    }
    result.ledgerRows = countRows(conn, "select count(*) from IA_Subsidiary");
    (void)issued_quantity::Remove(*conn, report);
    state.releaseConn();
    ConnectionPool::clear();
    return result;
}

}  // namespace tarvenish::bench
