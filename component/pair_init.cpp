#include "component/pair_init.h"

#include "component/shared_state.h"

namespace tarvenish {

Value initPair(Date Dkeep, bool Iswh, const std::string& Whcode, const std::string& Whname,
               const std::string& Invcode, const std::string& invname, const std::string& style, double quan,
               double money, const ConnectionPtr& gdbsKavrin) {
    const Value result;  // Empty; nothing assigns it later
    SharedState& state = sharedState();
    state.KeepDate = Dkeep;
    state.PairByDepartment = Iswh;
    state.WhCode = Whcode;
    state.WhName = Whname;
    state.InvCode = Invcode;
    state.InvName = invname;
    state.InvStd = style;
    state.Quantity = quan;
    state.Money = money;
    // A Conn that already holds a connection string stays, even when the host passes another connection.
    if (state.conn().connectionString().empty()) state.Conn = gdbsKavrin;
    state.JustSerial = "100000";
    return result;
}

}  // namespace tarvenish
