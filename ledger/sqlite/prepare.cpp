#include "ledger/sqlite/prepare.h"

#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

#include "ledger/db/error.h"
#include "ledger/dialect/join_planner.h"

namespace tarvenish {

namespace {

// The detail lines of SQLite's plan for `statement`; nullopt when it does not prepare or its plan cannot be
// read to its end.
std::optional<std::vector<std::string>> planDetails(sqlite3* db, const std::string& statement) {
    const std::string text = "EXPLAIN QUERY PLAN " + statement;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &raw, nullptr) != SQLITE_OK)
        return std::nullopt;
    StatementPtr plan(raw);
    if (!plan) return std::nullopt;
    std::vector<std::string> details;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(plan.get())) == SQLITE_ROW) {
        const auto* detail = reinterpret_cast<const char*>(sqlite3_column_text(plan.get(), 3));
        details.emplace_back(detail != nullptr ? detail : "");
    }
    if (step != SQLITE_DONE) return std::nullopt;
    return details;
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
    if (!statement || !mayTurnLeftJoin(piece)) return statement;
    const auto turned = joinOrderThatHelps(
        piece, [handle](const std::string& sqliteText) { return planDetails(handle, sqliteText); });
    if (!turned) return statement;
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
