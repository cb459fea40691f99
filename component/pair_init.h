#pragma once
// init: puts one pair's figures into this thread's SharedState, where the dialog reads them.

#include <string>

#include "ledger/db/connection.h"
#include "ledger/db/value.h"

namespace tarvenish {

// Copies the pair into SharedState, takes hostConnection as Conn when Conn is empty and sets JustSerial to
// "100000". Returns Empty. Throws what reading the connection string throws, with the pair's fields already
// assigned.
Value initPair(Date keepDate, bool byDepartment, const std::string& code, const std::string& name,
               const std::string& invCode, const std::string& invName, const std::string& invStd,
               double quantity, double money, const ConnectionPtr& hostConnection);

}  // namespace tarvenish
