#pragma once
// The runs the journal of an account set records, oldest first.

#include <optional>
#include <string>
#include <vector>

namespace tarvenish {

class Connection;

struct JournaledRun {
    long runId = 0;
    std::string started;  // ISO 8601 UTC
    int dialectFlag = 1;  // the dialect flag of the run
    std::string mode;     // warehouse | department
    // Filled at the run's end; nullopt for a run that did not reach it.
    std::optional<long> pairsRebuilt;
    std::optional<long> pairsConfirmed;
    std::optional<long> rowsDeleted;
    std::optional<long> rowsInserted;
    std::optional<std::string> finished;
    std::optional<std::string> undone;
    // How it ended (complete | cancelled | interrupted | failed | left) and the pairs it left, as its
    // journal's facts say; nullopt for a run journaled before they were kept, or one that did not record its
    // end.
    std::optional<std::string> outcome;
    std::optional<long> pairsLeft;
    // The journal holds rows of its pairs before and after: it changed rows.
    bool changedRows = false;
};

// Every journaled run; nullopt when the account set holds no journal. Throws DbError.
[[nodiscard]] std::optional<std::vector<JournaledRun>> journaledRuns(Connection& connection);

}  // namespace tarvenish
