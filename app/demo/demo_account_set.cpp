#include "app/demo/demo_account_set.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "app/demo/sqlite_bulk.h"
#include "ledger/db/connection.h"
#include "ledger/db/host_schema.h"

namespace tarvenish {
namespace {

constexpr std::string_view kSpecific = "个别计价法";
constexpr std::string_view kKeepDate = "2026-01-01";
constexpr std::string_view kOpeningDate = "2025-12-31";
constexpr std::string_view kAccounter = "张会计";
constexpr std::string_view kMaker = "李制单";

struct WarehouseDef {
    std::string code, name, department, style;
};
// The warehouses of a demo: three of specific identification, or `specific` of them, each stocking every
// item, and two of other valuation styles.
std::vector<WarehouseDef> demoWarehouses(int specific) {
    std::vector<WarehouseDef> warehouses;
    if (specific == 0) {
        warehouses = {
            {"W01", "原料一库", "D01", std::string(kSpecific)},
            // a second specific-identification warehouse of the same department
            {"W02", "原料二库", "D01", std::string(kSpecific)},
            {"W03", "成品库", "D03", std::string(kSpecific)},
        };
    }
    for (int w = 1; w <= specific; ++w)
        warehouses.push_back(
            {fmt::format("S{:04d}", w), fmt::format("门店{}", w), "D01", std::string(kSpecific)});
    warehouses.push_back({"W04", "辅料库", "D02", "全月平均法"});
    warehouses.push_back({"W05", "备件库", "D04", "移动平均法"});
    return warehouses;
}
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kDepartments = {
    {{"D01", "采购部"}, {"D02", "仓储部"}, {"D03", "生产部"}, {"D04", "销售部"}}};
constexpr std::array<std::string_view, 10> kItemNames = {"螺纹钢", "热轧板", "铜线", "铝锭", "轴承",
                                                         "齿轮",   "电机",   "阀门", "法兰", "螺栓"};
constexpr std::array<std::string_view, 6> kItemSpecs = {"Φ12", "Q235 3mm", "2.5mm²", "A00", "6205-2RS", ""};

BulkValue text(std::string_view s) {
    return std::string(s);
}
BulkValue integer(long long v) {
    return v;
}
BulkValue real(double v) {
    return v;
}
const BulkValue kNull{};

// The keys of the pairs: specific-identification warehouses, or the departments that have one.
std::vector<std::string_view> pairKeys(const std::vector<WarehouseDef>& warehouses, PairMode mode) {
    std::vector<std::string_view> keys;
    for (const auto& w : warehouses) {
        if (w.style != kSpecific) continue;
        std::string_view key = mode == PairMode::Warehouse ? w.code : w.department;
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    }
    return keys;
}

std::vector<std::string_view> warehousesOf(const std::vector<WarehouseDef>& warehouses, PairMode mode,
                                           std::string_view key) {
    std::vector<std::string_view> result;
    for (const auto& w : warehouses) {
        if (w.style != kSpecific) continue;
        if ((mode == PairMode::Warehouse ? w.code : w.department) == key) result.push_back(w.code);
    }
    return result;
}

std::string_view departmentOf(const std::vector<WarehouseDef>& warehouses, std::string_view warehouse) {
    for (const auto& w : warehouses)
        if (w.code == warehouse) return w.department;
    return {};
}

class Generator {
public:
    Generator(SqliteBulk& db, const DemoOptions& options)
        : m_db(db),
          m_options(options),
          m_random(options.seed),
          m_warehouses(demoWarehouses(options.warehousesPerItem)) {}

    DemoSummary run() {
        m_db.exec("begin");
        settings();
        masterData();
        pairs();
        otherWarehouseRows();
        salesDocuments();
        m_db.exec("commit");
        return m_summary;
    }

private:
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    void settings() {
        auto insert = m_db.prepareInsert("AccInformation", {"cSysID", "cName", "cValue", "cDefault"});
        insert.insert({text("IA"), text("dIAStartDate"), text(kKeepDate), kNull});
        insert.insert({text("IA"), text("cValueStyle"),
                       text(m_options.mode == PairMode::Warehouse ? "按仓库核算" : "按部门核算"),
                       text("按仓库核算")});
        insert.insert({text("AA"), text("iStrsQuanDecDgt"), text("2"), text("2")});
        insert.insert({text("AA"), text("iStrsPriDecDgt"), text(""), text("2")});
    }

    void masterData() {
        auto departments = m_db.prepareInsert("department", {"cdepcode", "cdepName"});
        for (const auto& [code, name] : kDepartments) departments.insert({text(code), text(name)});
        auto warehouses =
            m_db.prepareInsert("Warehouse", {"cWhCode", "cWhName", "cDepCode", "cWhValueStyle"});
        for (const auto& w : m_warehouses)
            warehouses.insert({text(w.code), text(w.name), text(w.department), text(w.style)});
        const int keys = static_cast<int>(pairKeys(m_warehouses, m_options.mode).size());
        m_items = (m_options.pairs + keys - 1) / keys + 1;
        auto items = m_db.prepareInsert("Inventory", {"cInvCode", "cInvName", "cInvStd"});
        for (int i = 0; i < m_items; ++i) {
            std::string_view spec = kItemSpecs[i % kItemSpecs.size()];
            items.insert(
                {text(fmt::format("I{:05d}", i + 1)),
                 text(fmt::format("{}{}", kItemNames[i % kItemNames.size()], i / kItemNames.size() + 1)),
                 spec.empty() ? kNull : text(spec)});
        }
    }

    long long nextHeader() { return ++m_headerId; }

    void header(long long id, std::string_view type, int brdflag, std::string_view warehouse,
                std::string_view date, bool booked, std::string_view memo) {
        static const std::vector<std::string> columns = {
            "ID",         "brdflag", "cVouchType", "cbustype", "ccode",       "dDate",
            "dKeepDate",  "cWhCode", "cDepCode",   "cRdCode",  "cPersonCode", "chandler",
            "caccounter", "cmaker",  "cMemo",      "cDefine1", "cDefine2"};
        if (!m_headers) m_headers.emplace(m_db.prepareInsert("RdRecord", columns));
        m_headers->insert({integer(id), integer(brdflag), text(type), text(brdflag ? "普通入库" : "普通出库"),
                           text(fmt::format("{}{:07d}", type == "34" ? "QC" : "CK", id)), text(date),
                           type == "34" ? text(kKeepDate) : kNull, text(warehouse),
                           text(departmentOf(m_warehouses, warehouse)), text(brdflag ? "11" : "21"),
                           text("P001"), text("王保管"), booked ? text(kAccounter) : kNull, text(kMaker),
                           text(memo), text(fmt::format("项目{}", id % 7)), kNull});
    }

    long long line(long long headerId, std::string_view item, long long quantity, long long unitCents,
                   long long priceCents, std::optional<long long> issued, std::string_view backTo) {
        static const std::vector<std::string> columns = {
            "autoid", "ID",     "cInvCode",      "iQuantity",  "iUnitCost", "iPrice",
            "cBatch", "cFree1", "isOutQuantity", "cVouchCode", "cDefine22"};
        if (!m_lines) m_lines.emplace(m_db.prepareInsert("RdRecords", columns));
        const long long autoid = ++m_lineId;
        m_lines->insert({integer(autoid), integer(headerId), text(item), real(static_cast<double>(quantity)),
                         unitCents ? real(unitCents / 100.0) : kNull, real(priceCents / 100.0),
                         text(fmt::format("B2025{:04d}", autoid % 10000)), text(autoid % 3 ? "标准" : "加急"),
                         issued ? real(static_cast<double>(*issued)) : real(0.0),
                         backTo.empty() ? kNull : text(backTo), kNull});
        ++m_summary.stockLines;
        return autoid;
    }

    void openingRow(std::string_view warehouse, std::string_view item, long long quantityHundredths,
                    long long moneyCents, int serial) {
        static const std::vector<std::string> columns = {
            "brdflag", "cVouCode", "dvoudate",     "dkeepdate", "imonth",    "cvoutype",
            "cWhcode", "cinvcode", "iainquantity", "iincost",   "iainprice", "caccounter",
            "cMaker",  "bflag",    "bmoneyflag",   "bsale",     "cpzid"};
        if (!m_opening) m_opening.emplace(m_db.prepareInsert("IA_Subsidiary", columns));
        m_opening->insert({integer(1), text(fmt::format("QC-IA{:06d}", serial)), text(kOpeningDate),
                           text(kKeepDate), integer(0), text("34"), text(warehouse), text(item),
                           real(quantityHundredths / 100.0), kNull, real(moneyCents / 100.0),
                           text(kAccounter), text(kMaker), integer(0), integer(1), integer(0), text("0")});
        ++m_summary.openingRows;
    }

    void pairs() {
        const auto keys = pairKeys(m_warehouses, m_options.mode);
        for (int p = 0; p < m_options.pairs; ++p) {
            std::string_view key = keys[p % keys.size()];
            const std::string item = fmt::format("I{:05d}", p / static_cast<int>(keys.size()) + 1);
            const auto warehouses = warehousesOf(m_warehouses, m_options.mode, key);
            long long totalQuantity = 0, totalCents = 0;
            std::vector<long long> headers;
            for (std::size_t w = 0; w < warehouses.size(); ++w) {
                headers.push_back(nextHeader());
                header(headers.back(), "34", 1, warehouses[w], kOpeningDate, true, "期初结存");
            }
            for (int l = 0; l < m_options.linesPerPair; ++l) {
                const std::size_t w = static_cast<std::size_t>(l) % warehouses.size();
                const long long quantity = uniform(10, 500);
                const long long unitCents = uniform(100, 20000);
                const long long priceCents = quantity * unitCents;
                const long long before =
                    uniform(0, static_cast<int>(quantity / 4));  // issued before the opening
                const long long afterOut = uniform(0, static_cast<int>(quantity / 4));
                const long long afterReturn = uniform(0, 3) == 0 ? uniform(1, 5) : 0;
                const long long autoid = line(headers[w], item, quantity, unitCents, priceCents,
                                              before + afterOut + afterReturn, {});
                ++m_summary.receiptLines;
                if (afterOut > 0) {
                    const long long out = nextHeader();
                    header(out, "32", 0, warehouses[w], "2026-02-15", true, "销售出库");
                    line(out, item, afterOut, unitCents, afterOut * unitCents, std::nullopt,
                         std::to_string(autoid));
                }
                if (afterReturn > 0) {
                    // A red-ink line of an inbound voucher: its quantity counts with its absolute value.
                    const long long back = nextHeader();
                    header(back, "08", 1, warehouses[w], "2026-03-02", true, "红字入库");
                    line(back, item, -afterReturn, unitCents, -afterReturn * unitCents, std::nullopt,
                         std::to_string(autoid));
                }
                totalQuantity += (quantity - before) * 100;
                totalCents += priceCents - before * unitCents;
            }
            if (p % 4 == 1) {  // an unbooked opening receipt: never counted
                const long long unbooked = nextHeader();
                header(unbooked, "34", 1, warehouses.front(), kOpeningDate, false, "未记账期初");
                line(unbooked, item, uniform(5, 50), 1000, 0, 0, {});
            }
            const bool mismatch = mismatchSlot(p);
            if (mismatch) {
                ++m_summary.mismatchedPairs;
                if (p % 2)
                    totalCents += uniform(1, 5000);
                else
                    totalQuantity += 100, totalCents += uniform(100, 5000);
            }
            // The old opening rows: the pair's total, split over one or two rows.
            if (totalQuantity > 100 && p % 3 == 0) {
                openingRow(warehouses.front(), item, totalQuantity / 2, totalCents / 2, ++m_openingSerial);
                openingRow(warehouses.back(), item, totalQuantity - totalQuantity / 2,
                           totalCents - totalCents / 2, ++m_openingSerial);
            } else {
                openingRow(warehouses.front(), item, totalQuantity, totalCents, ++m_openingSerial);
            }
            ++m_summary.pairs;
        }
    }

    // Spreads the mismatched pairs over the whole account set instead of bunching them at its start.
    bool mismatchSlot(int p) const {
        const long long scaled = static_cast<long long>(p) * m_options.mismatchPercent;
        return scaled % 100 < m_options.mismatchPercent;
    }

    void otherWarehouseRows() {
        // Rows the rebuild must leave alone: another valuation style, and a sales issue of the period.
        const long long id = nextHeader();
        header(id, "34", 1, "W04", kOpeningDate, true, "期初结存");
        line(id, "I00001", 40, 1250, 50000, 0, {});
        openingRow("W04", "I00001", 4000, 50000, ++m_openingSerial);
        auto other =
            m_db.prepareInsert("IA_Subsidiary", {"brdflag", "cVouCode", "dvoudate", "cvoutype", "cWhcode",
                                                 "cinvcode", "iaoutquantity", "iaoutprice", "bflag"});
        other.insert({integer(0), text("CK0000001"), text("2026-02-15"), text("32"), text("W01"),
                      text("I00001"), real(2.0), real(20.0), integer(0)});
    }

    void salesDocuments() {
        // Every document is settled, so the outstanding-documents check lets the rebuild run.
        m_db.exec(
            "insert into SaleBillVouch (SBVID, cInvalider, cSTCode, IDISP, bFirstBill, cVerifier) "
            "values (1, null, '01', 1, 0, '王审核')");
        m_db.exec("insert into SaleBillVouchs (SBVID, cwhcode, RdsID) values (1, 'W01', 2)");
        m_db.exec("insert into DispatchList (DLID, cSTCode, ISALE) values (1, '01', 1)");
        m_db.exec(
            "insert into DispatchLists (DLID, cwhcode, RdsID, iquantity, iOutQuantity) "
            "values (1, 'W01', 2, 5, 5)");
        m_db.exec("insert into EnDispatch (EDID, cSTCode) values (1, '02')");
        m_db.exec(
            "insert into EnDispatchs (EDID, cwhcode, iquantity, iretquantity, isettlequantity, bSettleAll) "
            "values (1, 'W03', 10, 2, 8, 0)");
    }

    SqliteBulk& m_db;
    DemoOptions m_options;
    std::mt19937 m_random;
    std::vector<WarehouseDef> m_warehouses;
    DemoSummary m_summary;
    int m_items = 0;
    long long m_headerId = 0;
    long long m_lineId = 0;
    int m_openingSerial = 0;
    std::optional<BulkInsert> m_headers;
    std::optional<BulkInsert> m_lines;
    std::optional<BulkInsert> m_opening;
};

void createEmptyFile(const std::string& path) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot create " + path + ": " + message);
}

}  // namespace

DemoSummary createDemoAccountSet(const std::string& path, const DemoOptions& options) {
    if (options.pairs < 0 || options.pairs > kMostDemoPairs || options.linesPerPair < 1 ||
        options.linesPerPair > kMostDemoLinesPerPair || options.mismatchPercent < 0 ||
        options.mismatchPercent > 100 || options.warehousesPerItem < 0 ||
        options.warehousesPerItem > kMostDemoWarehousesPerItem ||
        (options.warehousesPerItem > 0 && options.mode != PairMode::Warehouse))
        throw std::runtime_error(fmt::format(
            "demo: 0 to {} pairs, 1 to {} lines per pair, a mismatch percent of 0 to 100 and 0 to {} "
            "warehouses per item (in warehouse mode) are needed",
            kMostDemoPairs, kMostDemoLinesPerPair, kMostDemoWarehousesPerItem));
    if (static_cast<long>(options.pairs) * options.linesPerPair > kMostDemoReceiptLines)
        throw std::runtime_error(
            fmt::format("demo: pairs times lines per pair may be at most {}", kMostDemoReceiptLines));
    namespace fs = std::filesystem;
    const fs::file_status status = fs::symlink_status(path);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status))
            throw std::runtime_error(path + " is not a file (a folder, say); it is left alone");
        if (!options.force) throw std::runtime_error(path + " exists; pass --force to replace it");
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
            const fs::path companion = path + suffix;
            if (fs::is_regular_file(fs::symlink_status(companion))) fs::remove(companion);
        }
    }
    try {
        createEmptyFile(path);
        {
            auto connection = Connection::open(path);
            createHostSchema(*connection);
        }
        SqliteBulk db(path);
        // Our own account sets use the write-ahead log: a pair's commit then costs no sync of the whole file,
        // and readers never wait for the writer. The mode stays with the file; a host's file keeps its own.
        db.exec("PRAGMA journal_mode=WAL");
        Generator generator(db, options);
        return generator.run();
    } catch (...) {
        std::error_code ignored;
        fs::remove(path, ignored);
        throw;
    }
}

}  // namespace tarvenish
