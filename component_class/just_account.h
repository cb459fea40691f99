#pragma once
// The creatable class JustAccount: its four members hand over to the run, the two checks and init. It holds
// no data; everything shared lives in this thread's SharedState.

#include <cstdint>
#include <string>

#include "ledger/db/connection.h"
#include "ledger/db/value.h"

namespace tarvenish {

struct RunContext;

// What IFIAstart or IFEnd answered, and why it answered false without asking the account set: a server sent
// texts of the dialect it does not take (empty when the check was asked).
struct CheckAnswer {
    bool result = false;
    std::string refusal;
};

class JustAccount final {
public:
    // The run, member "JustAccount" (a C++ member cannot carry its class's name), holding the account
    // set's run lock throughout, with `context`'s presenter and hooks; a closed connection is opened for the
    // call. False when the user cancelled in the dialog, when the connection is no account set (a folder, no
    // file, not a database, no host tables) or cannot be opened, when another run holds the set or no run
    // lock can be made, when `AccSql` would send a database server desktop texts (nothing changed then), when
    // a pair failed, or when the run failed as a whole; true otherwise. `context.report` says which
    // (component/answer_reason.h words it). Never throws.
    [[nodiscard]] bool justAccount(RunContext& context, std::int16_t AccSql,
                                   const ConnectionPtr& gdbsKavrin) const noexcept;

    // Puts one pair's figures into SharedState (see initPair). Returns Empty. Throws what initPair throws.
    [[nodiscard]] Value init(Date Dkeep, bool Iswh, const std::string& Whcode, const std::string& Whname,
                             const std::string& Invcode, const std::string& invname, const std::string& style,
                             double quan, double money, const ConnectionPtr& gdbsKavrin) const;

    // Whether inventory accounting has started and holds specific-identification opening rows; false without
    // a connection, and false with nothing sent when `AccSql` would send a database server desktop texts.
    // Never throws.
    [[nodiscard]] bool IFIAstart(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
        return startCheck(AccSql, gdbsKavrin).result;
    }
    // IFIAstart with the reason of a refusal.
    [[nodiscard]] CheckAnswer startCheck(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept;

    // Whether no outstanding sales document forbids the rebuild; false without a connection, and refused as
    // IFIAstart is. Never throws.
    [[nodiscard]] bool IFEnd(std::int16_t AccSql, const ConnectionPtr& gdbsKavrin) const noexcept {
        return documentsCheck(AccSql, gdbsKavrin).result;
    }
    // IFEnd with the reason of a refusal.
    [[nodiscard]] CheckAnswer documentsCheck(std::int16_t AccSql,
                                             const ConnectionPtr& gdbsKavrin) const noexcept;
};

}  // namespace tarvenish
