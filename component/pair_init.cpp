#include "component/pair_init.h"

#include "component/shared_state.h"

namespace tarvenish {

Value initPair(Date keepDate, bool byDepartment, const std::string& code, const std::string& name,
               const std::string& invCode, const std::string& invName, const std::string& invStd,
               double quantity, double money, const ConnectionPtr& hostConnection) {
    const Value result;  // Empty; nothing assigns it later
    SharedState& state = sharedState();
    state.KeepDate = keepDate;
    state.PairByDepartment = byDepartment;
    state.WhCode = code;
    state.WhName = name;
    state.InvCode = invCode;
    state.InvName = invName;
    state.InvStd = invStd;
    state.Quantity = quantity;
    state.Money = money;
    // A Conn that already holds a connection string stays, even when the host passes another connection.
    if (state.conn().connectionString().empty()) state.Conn = hostConnection;
    state.JustSerial = "100000";
    return result;
}

}  // namespace tarvenish
