// The settings, opening-row and department-fill statements, and the pieces the other builders share.

#include "ledger/sql/statements.h"

#include <algorithm>

#include "ledger/sql/pieces.h"

namespace tarvenish::sql {

std::string quoteCode(std::string_view code) {
    std::string quoted;
    quoted.reserve(code.size());
    for (char c : code) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted;
}

namespace detail {

std::string desktopMask(int digits) {
    std::string mask = "##0";
    if (digits > 0) mask += "." + std::string(static_cast<std::size_t>(digits), '0');
    return mask;
}

std::string serverDigits(int digits) {
    return std::to_string(std::max(digits, 0));
}

std::string openingTotals(Dialect dialect, int quantityDigits) {
    if (dialect == Dialect::Server) {
        return "ltrim(str(sum(isnull(IA_Subsidiary.iAInQuantity,0)),20," + serverDigits(quantityDigits) +
               ")),ltrim(str(sum(isnull(IA_Subsidiary.iAInPrice,0)),20,2))";
    }
    return "format(sum(IA_Subsidiary.iAInQuantity),'" + desktopMask(quantityDigits) +
           "'),format(sum(IA_Subsidiary.iAInPrice),'##0.00')";
}

std::string dateLiteral(Dialect dialect, Date date) {
    if (dialect == Dialect::Desktop) return "#" + dateText(date) + "#";
    return "N'" + dateText(date) + "'";
}

}  // namespace detail

// The same text in both dialects.
Statement accSetting(std::string_view system, std::string_view name) {
    StatementBuilder text;
    text += "Select * FROM AccInformation where cSysID=";
    text.text(system);
    text += " and cName=";
    text.text(name);
    return text.build();
}

Statement settingsOpeningRow(PairMode mode) {
    if (mode == PairMode::Department) {
        return Statement::fixed(
            "Select caccounter ,cmaker,IA_Subsidiary.cwhcode FROM (IA_Subsidiary LEFT JOIN  " +
            std::string(detail::kSpecificDepartments) + " On IA_Subsidiary.cdepCode=Warehouse.cdepCode)" +
            std::string(detail::kOpeningWhere));
    }
    return Statement::fixed(
        "Select caccounter ,cmaker FROM (IA_Subsidiary LEFT JOIN  Warehouse On "
        "IA_Subsidiary.cWhCode=Warehouse.cWhCode)" +
        std::string(detail::kOpeningWhere));
}

Statement keepDate() {
    return Statement::fixed("select dkeepdate from ia_subsidiary where cvoutype=N'34'");
}

Statement departmentFill(Dialect dialect) {
    if (dialect == Dialect::Server) {
        return Statement::fixed(
            "update ia_subsidiary set cdepcode=Warehouse.cdepcode from Warehouse where "
            "Warehouse.cwhcode=ia_subsidiary.cwhcode");
    }
    return Statement::fixed(
        "UPDATE Warehouse INNER JOIN IA_Subsidiary ON Warehouse.cWhCode = IA_Subsidiary.cWhCode SET "
        "IA_Subsidiary.cDepCode = [warehouse].[cDepcode];");
}

Statement openingRowCheck(PairMode mode) {
    if (mode == PairMode::Department) {
        return Statement::fixed(
            "Select * FROM (IA_Subsidiary LEFT JOIN  " + std::string(detail::kSpecificDepartments) +
            " On IA_Subsidiary.cdepCode=Warehouse.cdepCode)" + std::string(detail::kOpeningWhere));
    }
    return Statement::fixed(
        "Select * FROM (IA_Subsidiary LEFT JOIN  Warehouse On IA_Subsidiary.cWhCode=Warehouse.cWhCode)" +
        std::string(detail::kOpeningWhere));
}

}  // namespace tarvenish::sql
