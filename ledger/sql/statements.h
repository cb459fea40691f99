#pragma once
// Every statement text the component sends, in its desktop and server forms. The texts are data: each builder
// joins its fixed pieces with the values it is given, and what it returns is exactly what goes to the
// database and into the statement log.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/automation_date.h"
#include "ledger/sql/dialect.h"
#include "ledger/sql/statement.h"

namespace tarvenish {

// Warehouse mode keys a pair by warehouse code, department mode by department code.
enum class PairMode { Warehouse, Department };

namespace sql {

// A code as it is spliced between N' and ': every apostrophe doubled, so the text stays one literal.
[[nodiscard]] std::string quoteCode(std::string_view code);

// "Select * FROM AccInformation where cSysID=N'<system>' and cName=N'<name>'".
[[nodiscard]] Statement accSetting(std::string_view system, std::string_view name);
// The first opening row of a specific-identification warehouse: caccounter, cmaker (and cwhcode by
// department).
[[nodiscard]] Statement settingsOpeningRow(PairMode mode);
// "select dkeepdate from ia_subsidiary where cvoutype=N'34'".
[[nodiscard]] Statement keepDate();

// Copies every warehouse's department into IA_Subsidiary.cDepCode.
[[nodiscard]] Statement departmentFill(Dialect dialect);
// The opening rows of specific-identification warehouses (start check and the run's first check).
[[nodiscard]] Statement openingRowCheck(PairMode mode);
// The three outstanding-document queries, in the order they are asked.
[[nodiscard]] std::array<Statement, 3> outstandingDocuments(Dialect dialect);

// What the desktop form's str() of a line id gives where the statements go: the bare digits (the dialect
// bridge), or the digits after a leading blank (a real desktop engine pads a positive number), which the
// issued-quantity pass's join must trim to match the text column.
enum class DesktopStr { Bare, Padded };

// The issued-quantity pass: add the temporary column, zero it, the select-into, the update, the drop.
[[nodiscard]] std::array<Statement, 5> issuedQuantityPrepare(Dialect dialect,
                                                             DesktopStr str = DesktopStr::Bare);
// Drops the temporary column; one text for both dialects.
[[nodiscard]] Statement issuedQuantityRemove();
// Drops a FSumQuantity left over from a run that ended abnormally.
[[nodiscard]] Statement dropLeftoverSumTable();
// A query without rows that opens only while FSumQuantity exists: the run probes with it before the drop
// above.
[[nodiscard]] Statement sumTableProbe();

// One row per pair: code, name, item code, item name, specification, quantity text, money text.
[[nodiscard]] Statement pairSummary(Dialect dialect, PairMode mode, int quantityDigits);
// The stock ledger's remaining opening quantity and money of one pair, as texts.
[[nodiscard]] Statement stockTotals(Dialect dialect, PairMode mode, int quantityDigits, std::string_view code,
                                    std::string_view invCode);
// The stock totals of every pair at once (code, item code, quantity text, money text), each as stockTotals
// gives it after the issued-quantity pass, but computing the issued quantities in the query: read-only.
[[nodiscard]] Statement stockTotalsByPair(Dialect dialect, PairMode mode, int quantityDigits);
// The regeneration's delete and insert of one pair.
[[nodiscard]] Statement regenerationDelete(Dialect dialect, PairMode mode, std::string_view code,
                                           std::string_view invCode);
[[nodiscard]] Statement regenerationInsert(Dialect dialect, PairMode mode, Date keepDate,
                                           std::string_view code, std::string_view invCode);

// The pairs (code, item code) with a booked opening receipt line whose isOutQuantity_s is Null: the
// regeneration would write such a line with Null quantity and money. One text for both dialects.
[[nodiscard]] Statement pairsWithoutIssuedQuantity(PairMode mode);
// Department mode: the opening rows of specific-identification warehouses whose department code is Null,
// by warehouse and item code with their count; they belong to no pair. One text for both dialects.
[[nodiscard]] Statement openingRowsWithoutDepartment();
// The run's check of its own work: per pair (code, item code) the opening rows' quantity and money totals as
// texts, rounded as the pair summary rounds them. In department mode a row counts for its warehouse's
// department, since a rebuilt row has no department of its own until the next department fill.
[[nodiscard]] Statement openingTotalsCheck(Dialect dialect, PairMode mode, int quantityDigits);
// The codes whose pairs the run visits: the specific-identification warehouses (their departments by
// department), one per row.
[[nodiscard]] Statement specificIdentificationCodes(PairMode mode);
// Every warehouse's (department's) code and name, and every item's, for verify's details.
[[nodiscard]] Statement codeNames(PairMode mode);
[[nodiscard]] Statement itemNames();

// The dialog's receipt lines of one pair: 69 fields per line.
[[nodiscard]] Statement receiptLines(Dialect dialect, PairMode mode, Date keepDate, int quantityDigits,
                                     int priceDigits, std::string_view code, std::string_view invCode);
// The commit's delete of one pair's opening rows.
[[nodiscard]] Statement commitDelete(Dialect dialect, PairMode mode, std::string_view code,
                                     std::string_view invCode);

// The specific-identification warehouses of one department, in code order; one text for both dialects. The
// commit takes an added line's warehouse from here in department mode.
[[nodiscard]] Statement departmentWarehouses(std::string_view department);

// The table the commit appends to.
inline constexpr std::string_view kAppendTable = "Ia_subsidiary";

}  // namespace sql
}  // namespace tarvenish
