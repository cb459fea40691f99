#pragma once
// Turns one line of the adjustment grid into one new opening row of IA_Subsidiary.

#include <string_view>

#include "ledger/sql/statements.h"

namespace tarvenish {

class KVGrid;
class Recordset;
struct SharedState;

// A receipt line was loaded from the stock ledger; an added line was made in the dialog.
enum class LineKind { Receipt, Added };

// Added when the voucher code begins with "JUST" exactly (upper case), a receipt line otherwise.
[[nodiscard]] LineKind lineKindOf(std::string_view voucherCode);

// Adds a row to `table` (a recordset opened on IA_Subsidiary for appending), assigns its fields in order
// from grid line `row` and SharedState as `kind` and the pair's `mode` ask, and stores it. A value the table
// refuses leaves its field unassigned, but for a non-empty adjusted figure (columns 69 to 71), which throws
// DbError. Throws DbError when a field is missing or the row cannot be stored, std::out_of_range when the
// grid lacks a cell. `addedLineWarehouse`, when not empty, is an added line's warehouse in department mode
// (in place of DepWhCode).
void writeOpeningRow(Recordset& table, const KVGrid& grid, long row, LineKind kind, const SharedState& state,
                     PairMode mode, std::string_view addedLineWarehouse = {});

}  // namespace tarvenish
