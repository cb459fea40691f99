#pragma once
// init: puts one pair's figures into this thread's SharedState, where the dialog reads them.

#include <string>

#include "ledger/db/connection.h"
#include "ledger/db/value.h"

namespace tarvenish {

// Copies the pair into SharedState, takes gdbsKavrin as Conn when Conn is empty and sets JustSerial to
// "100000". Returns Empty. Throws what reading the connection string throws, with the pair's fields already
// assigned.
Value initPair(Date Dkeep, bool Iswh, const std::string& Whcode, const std::string& Whname,
               const std::string& Invcode, const std::string& invname, const std::string& style, double quan,
               double money, const ConnectionPtr& gdbsKavrin);

}  // namespace tarvenish
