// The SQL functions of the host's dialects that SQLite lacks or spells otherwise, all going through the one
// number formatter so that the desktop and server texts of a statement give the same results.

#include <sqlite3.h>

#include <string>

#include "base/number_format.h"
#include "ledger/dialect/bridge.h"

namespace tarvenish {
namespace {

constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;

bool anyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    return false;
}

std::string textOf(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_value_bytes(value))) : std::string();
}

// The value as a number: numbers as they are, a text only when it is a number as a whole.
bool numberOf(sqlite3_value* value, double& out) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            out = sqlite3_value_double(value);
            return true;
        case SQLITE_TEXT:
            return parseNumber(textOf(value), out);
        default:
            return false;
    }
}

void resultText(sqlite3_context* context, const std::string& text) {
    sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// str(x): the whole number as plain text, which the desktop engine compares with a text column;
// str(x, length[, decimals]): the server's fixed-width form.
void strFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    double value = 0;
    if (!numberOf(argv[0], value)) {
        const std::string message = "str(): '" + textOf(argv[0]) + "' is not a number";
        sqlite3_result_error(context, message.c_str(), -1);
        return;
    }
    if (argc == 1) {
        resultText(context, wholeNumberText(value));
        return;
    }
    const sqlite3_int64 length = sqlite3_value_int64(argv[1]);
    const sqlite3_int64 decimals = argc == 3 ? sqlite3_value_int64(argv[2]) : 0;
    // the server answers null for a length or decimals it cannot use
    if (length <= 0 || length > 8000 || decimals < 0) {
        sqlite3_result_null(context);
        return;
    }
    resultText(context,
               strFixed(value, static_cast<int>(length), static_cast<int>(decimals > 16 ? 16 : decimals)));
}

// format(x, mask): a number, or a text that is one, rendered with the mask; any other text comes back as it
// is.
void formatFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    double value = 0;
    if (!numberOf(argv[0], value)) {
        sqlite3_result_value(context, argv[0]);
        return;
    }
    resultText(context, formatNumber(value, textOf(argv[1])));
}

}  // namespace

int registerDialectFunctions(sqlite3* db) {
    struct Entry {
        const char* name;
        int arguments;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    };
    static constexpr Entry kFunctions[] = {
        {"str", 1, strFunction},
        {"str", 2, strFunction},
        {"str", 3, strFunction},
        // replaces SQLite's printf-style format() for the two-argument form the statements use
        {"format", 2, formatFunction},
    };
    for (const Entry& entry : kFunctions) {
        const int rc = sqlite3_create_function_v2(db, entry.name, entry.arguments, kFlags, nullptr,
                                                  entry.function, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

}  // namespace tarvenish
