#include "base/sql_parameters.h"

#include <span>
#include <stdexcept>

#include "base/ascii_text.h"
#include "base/number_format.h"
#include "base/sql_tokenizer.h"

namespace tarvenish {
namespace {

// The words that decide which literals stay in a statement's text; every statement's every word is looked up,
// so each is classified once.
enum class Keyword : unsigned char {
    None,
    Select,
    Insert,
    Update,
    Delete,
    Over,
    Pragma,
    Into,
    From,
    Where,
    By,
    Order,
    Group,
    Having,
    Limit,
    Union,
    Except,
    Intersect,
    Window,
    As
};

Keyword keywordOf(std::string_view word) {
    struct Entry {
        std::string_view text;
        Keyword keyword;
    };
    // By length, so that most words (column and table names) are refused after one comparison of their
    // first letter or none at all.
    static constexpr Entry kTwo[] = {{"by", Keyword::By}, {"as", Keyword::As}};
    static constexpr Entry kFour[] = {
        {"over", Keyword::Over}, {"into", Keyword::Into}, {"from", Keyword::From}};
    static constexpr Entry kFive[] = {{"where", Keyword::Where},
                                      {"order", Keyword::Order},
                                      {"group", Keyword::Group},
                                      {"limit", Keyword::Limit},
                                      {"union", Keyword::Union}};
    static constexpr Entry kSix[] = {{"select", Keyword::Select}, {"insert", Keyword::Insert},
                                     {"update", Keyword::Update}, {"delete", Keyword::Delete},
                                     {"pragma", Keyword::Pragma}, {"having", Keyword::Having},
                                     {"except", Keyword::Except}, {"window", Keyword::Window}};
    static constexpr Entry kNine[] = {{"intersect", Keyword::Intersect}};
    std::span<const Entry> entries;
    switch (word.size()) {
        case 2:
            entries = kTwo;
            break;
        case 4:
            entries = kFour;
            break;
        case 5:
            entries = kFive;
            break;
        case 6:
            entries = kSix;
            break;
        case 9:
            entries = kNine;
            break;
        default:
            return Keyword::None;
    }
    const char first = lowerAscii(word.front());
    for (const Entry& entry : entries) {
        if (entry.text.front() == first && equalsNoCase(word, entry.text)) return entry.keyword;
    }
    return Keyword::None;
}

// A numeric literal as SQLite reads it; nullopt for an integer too large for 64 bits (SQLite would make it
// a real, so it stays in the text).
std::optional<SqlLiteral> numberLiteral(std::string_view text) {
    SqlLiteral literal;
    if (text.find_first_of(".eE") == std::string_view::npos) {
        if (!parseWholeNumber(text, literal.integer)) return std::nullopt;
        literal.kind = SqlLiteral::Kind::Integer;
        return literal;
    }
    if (!parseNumber(text, literal.real)) return std::nullopt;
    literal.kind = SqlLiteral::Kind::Real;
    return literal;
}

// A '..' or N'..' literal's value.
SqlLiteral textLiteral(std::string_view raw, bool national) {
    if (national) raw.remove_prefix(1);
    raw = raw.substr(1, raw.size() - 2);
    SqlLiteral literal;
    literal.kind = SqlLiteral::Kind::Text;
    // Most texts hold no apostrophe: copied in one piece.
    for (std::size_t quote = raw.find('\''); quote != std::string_view::npos; quote = raw.find('\'')) {
        literal.text.append(raw.substr(0, quote + 1));
        raw.remove_prefix(quote + 1 < raw.size() && raw[quote + 1] == '\'' ? quote + 2 : quote + 1);
    }
    literal.text.append(raw);
    return literal;
}

// What a bracket level says about the literals inside it.
struct Level {
    bool selectList = false;  // between SELECT and its FROM
    bool ordering = false;    // after ORDER BY or GROUP BY
    bool typeArguments = false;
};

// The shape of `statement`, read token by token with one token of look-ahead: a literal glued to the word
// after it stays. Throws std::invalid_argument when a token cannot be read.
std::optional<ParameterizedSql> shapeOf(std::string_view statement) {
    const std::size_t size = statement.size();
    if (size == 0) return std::nullopt;
    ParameterizedSql result;
    result.shape.reserve(size + 16);
    // The component's statements carry up to a few dozen literals: most need no second allocation.
    result.literals.reserve(32);
    result.parameterOffsets.reserve(32);
    std::vector<Level> levels(1);
    bool query = false;           // the result columns of a query are named after their expressions
    std::size_t significant = 0;  // the tokens other than blanks read so far
    Keyword previous = Keyword::None;
    Keyword beforePrevious = Keyword::None;
    bool previousIsWord = false;
    bool closed = false;                    // a ';' ended the statement at its outer level
    TokenKind adjacent = TokenKind::Blank;  // the token right before this one, blanks included
    std::size_t copied = 0;                 // statement offset up to which the shape has the text
    SqlToken token = readSqlToken(statement, 0);
    while (true) {
        const bool hasFollowing = token.end < size;
        const SqlToken following = hasFollowing ? readSqlToken(statement, token.end) : SqlToken{};
        if (token.kind != TokenKind::Blank) {
            if (closed) return std::nullopt;  // several statements
            const std::string_view text(statement.data() + token.begin, token.end - token.begin);
            const Keyword keyword = token.kind == TokenKind::Word ? keywordOf(text) : Keyword::None;
            if (significant == 0) {
                if (keyword != Keyword::Select && keyword != Keyword::Insert && keyword != Keyword::Update &&
                    keyword != Keyword::Delete)
                    return std::nullopt;
                query = keyword == Keyword::Select;
            }
            if (token.kind == TokenKind::Punct) {
                switch (text[0]) {
                    case '?':
                    case ':':
                    case '@':
                    case '$':
                        return std::nullopt;  // a parameter of its own
                    case ';':
                        if (levels.size() == 1) closed = true;
                        break;
                    case '(': {
                        Level inner;
                        inner.typeArguments =
                            significant >= 2 && previousIsWord && beforePrevious == Keyword::As;
                        levels.push_back(inner);
                        break;
                    }
                    case ')':
                        if (levels.size() > 1) levels.pop_back();
                        break;
                    default:
                        break;
                }
            } else if (token.kind == TokenKind::Word) {
                Level& level = levels.back();
                switch (keyword) {
                    case Keyword::Over:
                    case Keyword::Pragma:
                        return std::nullopt;
                    case Keyword::Into:
                        // a select-into makes a table whose column types follow its expressions: literals
                        // must stay
                        if (query && levels.size() == 1) return std::nullopt;
                        break;
                    case Keyword::Select:
                        level.selectList = true;
                        break;
                    case Keyword::From:
                    case Keyword::Where:
                        level.selectList = false;
                        break;
                    case Keyword::By:
                        if (previous == Keyword::Order || previous == Keyword::Group) level.ordering = true;
                        break;
                    case Keyword::Having:
                    case Keyword::Limit:
                    case Keyword::Union:
                    case Keyword::Except:
                    case Keyword::Intersect:
                    case Keyword::Window:
                        level.ordering = false;
                        break;
                    default:
                        break;
                }
            } else if (token.kind == TokenKind::Text || token.kind == TokenKind::Number) {
                bool keep = previous == Keyword::As;
                // A query's columns are named after their expressions, also those of a subquery in its FROM.
                for (const Level& level : levels)
                    keep = keep || (query && level.selectList) || level.ordering || level.typeArguments;
                // A literal glued to a word (x'0A', 1e) is not one SQLite reads as a plain value.
                if (adjacent == TokenKind::Word && !token.national) keep = true;
                if (hasFollowing && following.kind == TokenKind::Word) keep = true;
                std::optional<SqlLiteral> literal;
                if (!keep)
                    literal = token.kind == TokenKind::Number ? numberLiteral(text)
                                                              : textLiteral(text, token.national);
                if (literal) {
                    result.shape.append(statement.substr(copied, token.begin - copied));
                    result.parameterOffsets.push_back(result.shape.size());
                    result.literals.push_back(std::move(*literal));
                    result.shape += '?';
                    result.shape += std::to_string(result.literals.size());
                    copied = token.end;
                }
            }
            beforePrevious = previous;
            previous = keyword;
            previousIsWord = token.kind == TokenKind::Word;
            ++significant;
        }
        if (!hasFollowing) break;
        adjacent = token.kind;
        token = following;
    }
    if (significant == 0) return std::nullopt;
    result.shape.append(statement.substr(copied));
    return result;
}

}  // namespace

std::optional<ParameterizedSql> parameterizeSql(std::string_view statement) {
    try {
        return shapeOf(statement);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

std::optional<SqlLiteral> sqlLiteralOf(std::string_view statement, const SqlToken& token) {
    const std::string_view text(statement.data() + token.begin, token.end - token.begin);
    if (token.kind == TokenKind::Number) return numberLiteral(text);
    if (token.kind == TokenKind::Text) return textLiteral(text, token.national);
    return std::nullopt;
}

}  // namespace tarvenish
