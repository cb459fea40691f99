#include "ledger/sqlite/prepare.h"

#include <sqlite3.h>

#include <string>

#include "base/ascii_text.h"
#include "ledger/db/error.h"
#include "ledger/dialect/join_order.h"

namespace tarvenish {

namespace {

// Right joins came with SQLite 3.39.0.
constexpr int kRightJoinVersion = 3039000;

// True when SQLite's plan for `statement` scans the right table of a left join once per outer row.
bool scansInsideLeftJoin(sqlite3* db, std::string_view statement) {
    const std::string text = "EXPLAIN QUERY PLAN " + std::string(statement);
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &raw, nullptr) != SQLITE_OK)
        return false;
    StatementPtr plan(raw);
    if (!plan) return false;
    constexpr std::string_view kScan = "SCAN ";
    constexpr std::string_view kLeftJoin = "LEFT-JOIN";
    while (sqlite3_step(plan.get()) == SQLITE_ROW) {
        const auto* detail = reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3));
        const std::string_view step = detail != nullptr ? detail : "";
        if (step.starts_with(kScan) && step.ends_with(kLeftJoin)) return true;
    }
    return false;
}

}  // namespace

StatementPtr prepareInJoinOrder(SqliteDatabase& db, std::string_view text, std::size_t& consumed,
                                std::string_view original, std::string_view operation) {
    sqlite3* handle = db.handle();
    sqlite3_stmt* raw = nullptr;
    const char* next = nullptr;
    const int prepared = sqlite3_prepare_v2(handle, text.data(), static_cast<int>(text.size()), &raw, &next);
    StatementPtr statement(raw);
    if (prepared != SQLITE_OK) db.fail(operation, prepared, std::string(original));
    consumed = static_cast<std::size_t>(next - text.data());
    const std::string_view piece = text.substr(0, consumed);
    if (!statement || sqlite3_libversion_number() < kRightJoinVersion || !containsNoCase(piece, "join") ||
        !containsNoCase(piece, "left") || !scansInsideLeftJoin(handle, piece))
        return statement;
    const auto turned = rightJoinForm(piece);
    if (!turned || scansInsideLeftJoin(handle, *turned)) return statement;
    sqlite3_stmt* turnedRaw = nullptr;
    if (sqlite3_prepare_v2(handle, turned->c_str(), static_cast<int>(turned->size()), &turnedRaw, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(turnedRaw);
        return statement;
    }
    return StatementPtr(turnedRaw);
}

bool holdsFurtherStatement(SqliteDatabase& db, std::string_view rest) noexcept {
    sqlite3_stmt* more = nullptr;
    const int prepared =
        sqlite3_prepare_v2(db.handle(), rest.data(), static_cast<int>(rest.size()), &more, nullptr);
    const StatementPtr moreStatement(more);
    return prepared != SQLITE_OK || moreStatement != nullptr;
}

}  // namespace tarvenish
