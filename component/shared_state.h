#pragma once
// The one record of run-wide state that the run, the dialog and the settings readers share, one per thread.

#include <cstdint>
#include <string>

#include "ledger/db/connection.h"
#include "ledger/db/value.h"
#include "ledger/sql/dialect.h"

namespace tarvenish {

struct AccountSettingsRecord {
    bool ByDepartment = false;
    std::int16_t QuantityDigits = 0;
    std::int16_t PriceDigits = 0;
    std::string Accounter;
    std::string Maker;
    std::string DepWhCode;
};

struct SharedState {
    AccountSettingsRecord AccountSettings;
    std::int16_t DialectFlag = 0;
    // The stages' dialects as the run chose them from DialectFlag at its start; the dialog reads these.
    DialectChoice Dialects = DialectChoice::fromHostFlag(0);
    bool StopRun = false;
    Date KeepDate{};
    bool PairByDepartment = false;
    std::string WhCode;
    std::string WhName;
    std::string InvCode;
    std::string InvName;
    std::string InvStd;
    double Quantity = 0.0;
    double Money = 0.0;
    std::string JustSerial;
    double SumQuantity = 0.0;
    double SumMoney = 0.0;
    ConnectionPtr Conn;
    // Beside the design: the pair's place among the run's pairs (from 1) and how many there are; 0 when no
    // run is visiting pairs.
    int PairNumber = 0;
    int PairCount = 0;

    // Conn as readers see it: never null; an unset Conn first becomes a new, unopened connection.
    [[nodiscard]] Connection& conn();
    // True when Conn holds no connection yet (its connection string is empty).
    [[nodiscard]] bool connEmpty() const { return !Conn || Conn->connectionString().empty(); }
    // Releases Conn (set to no connection) at the end of a run.
    void releaseConn() { Conn.reset(); }
};

// This thread's record, created zeroed on first use.
[[nodiscard]] SharedState& sharedState();

}  // namespace tarvenish
