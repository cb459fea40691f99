#include "platform/com/host_connection_string.h"

#include <array>
#include <stdexcept>

#include "base/ascii_text.h"

namespace tarvenish {
namespace {

struct Pair {
    std::string key;  // lower case, blanks around it removed
    std::string value;
};

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The key=value pairs of an OLE DB or ODBC string; a value may be quoted ("..." or '...') or braced ({...}).
std::vector<Pair> pairsOf(std::string_view text) {
    std::vector<Pair> pairs;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t equals = text.find('=', at);
        if (equals == std::string_view::npos) break;
        Pair pair{lowered(trimmed(text.substr(at, equals - at))), {}};
        std::size_t next = equals + 1;
        while (next < text.size() && text[next] == ' ') ++next;
        if (next < text.size() && (text[next] == '"' || text[next] == '\'' || text[next] == '{')) {
            const char close = text[next] == '{' ? '}' : text[next];
            const std::size_t end = text.find(close, next + 1);
            pair.value =
                std::string(text.substr(next + 1, end == std::string_view::npos ? end : end - next - 1));
            at = end == std::string_view::npos ? text.size() : text.find(';', end);
        } else {
            const std::size_t end = text.find(';', next);
            pair.value = trimmed(text.substr(next, end == std::string_view::npos ? end : end - next));
            at = end;
        }
        if (!pair.key.empty()) pairs.push_back(std::move(pair));
        if (at == std::string_view::npos) break;
        ++at;
    }
    return pairs;
}

std::optional<std::string> valueOf(const std::vector<Pair>& pairs,
                                   std::initializer_list<std::string_view> keys) {
    for (const std::string_view key : keys)
        for (const Pair& pair : pairs)
            if (pair.key == key) return pair.value;
    return std::nullopt;
}

// An ODBC value as the driver reads it: braced when it holds a character the string's syntax gives meaning.
std::string odbcValue(const std::string& value) {
    if (value.find_first_of(";{}= ") == std::string::npos) return value;
    std::string braced = "{";
    for (const char c : value) {
        braced += c;
        if (c == '}') braced += '}';
    }
    return braced + "}";
}

bool isSqlServerProvider(const std::string& provider) {
    const std::string name = lowered(provider);
    return name == "sqloledb" || name.starts_with("sqloledb.") || name.starts_with("sqlncli") ||
           name.starts_with("msoledbsql");
}

bool isJetProvider(const std::string& provider) {
    const std::string name = lowered(provider);
    return name == "microsoft.jet.oledb.4.0";
}

// The SQL Server ODBC drivers, the newest first.
constexpr std::array<std::string_view, 7> kSqlServerDrivers{"ODBC Driver 18 for SQL Server",
                                                            "ODBC Driver 17 for SQL Server",
                                                            "ODBC Driver 13 for SQL Server",
                                                            "ODBC Driver 11 for SQL Server",
                                                            "SQL Server Native Client 11.0",
                                                            "SQL Server Native Client 10.0",
                                                            "SQL Server"};

std::string sqlServerDriver(const std::vector<std::string>& installed) {
    for (const std::string_view wanted : kSqlServerDrivers)
        for (const std::string& driver : installed)
            if (equalsNoCase(driver, wanted)) return driver;
    throw std::invalid_argument(
        "the host's connection goes to SQL Server through OLE DB, and no SQL Server ODBC driver is installed "
        "(install \"ODBC Driver 18 for SQL Server\")");
}

// The desktop-file drivers, the newest first: the 64-bit engine has only the first, a 32-bit system always
// the second.
constexpr std::array<std::string_view, 2> kDesktopDrivers{"Microsoft Access Driver (*.mdb, *.accdb)",
                                                          "Microsoft Access Driver (*.mdb)"};

std::string desktopDriver(const std::vector<std::string>& installed) {
    for (const std::string_view wanted : kDesktopDrivers)
        for (const std::string& driver : installed)
            if (equalsNoCase(driver, wanted)) return driver;
    throw std::invalid_argument(
        "the host's connection goes to a desktop database file through OLE DB, and no Access ODBC driver is "
        "installed for this process's width (install the Access Database Engine of the same width)");
}

bool isTrue(const std::string& value) {
    const std::string v = lowered(value);
    return v == "sspi" || v == "true" || v == "yes";
}

OdbcConnectionString sqlServerString(const std::vector<Pair>& pairs,
                                     const std::vector<std::string>& drivers) {
    const std::optional<std::string> server = valueOf(pairs, {"data source", "server", "address", "addr"});
    if (!server || server->empty())
        throw std::invalid_argument("the host's SQL Server connection names no server (Data Source=)");
    OdbcConnectionString result;
    result.text = "Driver=" + odbcValue(sqlServerDriver(drivers)) + ";Server=" + odbcValue(*server) + ";";
    if (const auto database = valueOf(pairs, {"initial catalog", "database"}); database && !database->empty())
        result.text += "Database=" + odbcValue(*database) + ";";
    const auto integrated = valueOf(pairs, {"integrated security", "trusted_connection"});
    if (integrated && isTrue(*integrated)) {
        result.text += "Trusted_Connection=Yes;";
        return result;
    }
    if (const auto user = valueOf(pairs, {"user id", "uid"})) result.text += "UID=" + odbcValue(*user) + ";";
    const auto password = valueOf(pairs, {"password", "pwd"});
    if (password) result.text += "PWD=" + odbcValue(*password) + ";";
    result.lacksPassword = !password;
    return result;
}

OdbcConnectionString jetString(const std::vector<Pair>& pairs, const std::vector<std::string>& drivers) {
    const std::optional<std::string> file = valueOf(pairs, {"data source"});
    if (!file || file->empty())
        throw std::invalid_argument("the host's desktop-file connection names no file (Data Source=)");
    OdbcConnectionString result;
    result.text = "Driver=" + odbcValue(desktopDriver(drivers)) + ";Dbq=" + odbcValue(*file) + ";";
    if (const auto user = valueOf(pairs, {"user id"})) result.text += "Uid=" + odbcValue(*user) + ";";
    if (const auto password = valueOf(pairs, {"jet oledb:database password", "password"}))
        result.text += "Pwd=" + odbcValue(*password) + ";";
    return result;
}

}  // namespace

OdbcConnectionString odbcConnectionString(std::string_view hostString,
                                          const std::vector<std::string>& installedDrivers) {
    if (isBlankText(hostString))
        throw std::invalid_argument("the host's connection has no connection string");
    const std::vector<Pair> pairs = pairsOf(hostString);
    const std::optional<std::string> provider = valueOf(pairs, {"provider"});
    if (!provider) {
        if (valueOf(pairs, {"driver", "dsn", "filedsn"})) return {std::string(hostString), false};
        throw std::invalid_argument(
            "the host's connection string names neither an OLE DB provider nor an ODBC driver or data "
            "source");
    }
    if (isSqlServerProvider(*provider)) return sqlServerString(pairs, installedDrivers);
    if (isJetProvider(*provider)) return jetString(pairs, installedDrivers);
    // MSDASQL is OLE DB over ODBC: its own ODBC part says where to go.
    if (equalsNoCase(*provider, "MSDASQL") || lowered(*provider).starts_with("msdasql.")) {
        if (valueOf(pairs, {"driver", "dsn"})) {
            std::string odbc;
            for (const Pair& pair : pairs)
                if (pair.key != "provider") odbc += pair.key + "=" + odbcValue(pair.value) + ";";
            return {odbc, false};
        }
    }
    throw std::invalid_argument("the host's connection uses the OLE DB provider \"" + *provider +
                                "\", which the component cannot reach through ODBC; nothing was changed");
}

}  // namespace tarvenish
