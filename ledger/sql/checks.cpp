// The outstanding-documents queries. The two dialects test different columns, so each keeps its own third
// piece; the first two pieces are shared.

#include "ledger/sql/statements.h"

namespace tarvenish::sql {

std::array<Statement, 3> outstandingDocuments(Dialect dialect) {
    static constexpr std::string_view kSaleHead =
        "select * from SaleBillVouch LEFT JOIN SaleBillVouchs ON SaleBillVouch.SBVID=SaleBillVouchs.SBVID "
        "WHERE ";
    static constexpr std::string_view kSaleBody =
        "(salebillvouchs.cwhcode is not null)  and SaleBillVouch.cInvalider is null ";
    static constexpr std::string_view kDispatchHead =
        "select * from DispatchList LEFT JOIN DispatchLists ON DispatchList.DLID=DispatchLists.DLID WHERE ";
    static constexpr std::string_view kDispatchBody =
        "(DispatchLists.cwhcode is not null)  And DispatchList.cSTCode is not null ";
    static constexpr std::string_view kEnHead =
        "select * from EnDispatch LEFT JOIN EnDispatchs ON EnDispatch.EDID=EnDispatchs.EDID WHERE ";
    static constexpr std::string_view kEnBody =
        "(EnDispatchs.cwhcode is not null)  And EnDispatch.cSTCode is not null ";

    std::string_view saleTail;
    std::string_view dispatchTail;
    std::string_view enTail;
    if (dialect == Dialect::Server) {
        saleTail =
            "And salebillvouch.cSTCode is not null and ISNULL(SALEBILLVOUCH.IDISP,0)=0 and "
            "ISNULL(SALEBILLVOUCHs.RdsID,0)=0";
        dispatchTail = "and ISNULL(DispatchList.ISALE,0)=0 and ISNULL(DispatchLists.RdsID,0)=0";
        enTail = "and (EnDispatchs.iquantity-EnDispatchs.iretquantity-EnDispatchs.isettlequantity)>0";
    } else {
        saleTail =
            "And salebillvouch.cSTCode is not null and SALEBILLVOUCH.bFirstBill and "
            "SALEBILLVOUCH.cVerifier is  null ";
        dispatchTail = "and iquantity<>iOutQuantity";
        enTail = "and EnDispatchs.bSettleAll";
    }
    return {Statement::fixed(std::string(kSaleHead).append(kSaleBody).append(saleTail)),
            Statement::fixed(std::string(kDispatchHead).append(kDispatchBody).append(dispatchTail)),
            Statement::fixed(std::string(kEnHead).append(kEnBody).append(enTail))};
}

}  // namespace tarvenish::sql
