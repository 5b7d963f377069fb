// The engine's query dialect: a tokenizer and a recursive-descent translator into SQLite's SQL.
// Names are resolved against the table and written quoted; every literal becomes a bound
// parameter, so no text of the caller reaches SQLite unescaped.
#include <cctype>
#include <cstdlib>

#include "platform/db/internal.h"
#include "platform/db/textrules.h"

namespace qs::db::detail {
namespace {

enum class Tok { Word, Name, String, Number, DateLit, Op, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // word, name, string contents, number digits or operator
    double date = 0;
};

struct Failure {
    int number;
};

// Parentheses and NOTs nest no deeper than this: each level recurses once more, and a criterion nested
// thousands deep would otherwise overflow the stack. Deeper text fails with 3360 ("Query is too complex."),
// as SQLite's own parser would refuse the translation well before this depth.
constexpr int kMaxNesting = 100;
constexpr int errTooComplex = 3360;

bool isWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool isWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isspace(c)) {
            ++i;
            continue;
        }
        Token t;
        if (c == '[') {
            std::size_t end = s.find(']', i + 1);
            if (end == std::string_view::npos || end == i + 1) throw Failure{errSyntax};
            t.kind = Tok::Name;
            t.text = std::string(s.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '"' || c == '\'') {
            t.kind = Tok::String;
            std::size_t j = i + 1;
            for (;;) {
                if (j >= s.size()) throw Failure{errSyntax};
                if (static_cast<unsigned char>(s[j]) == c) {
                    if (j + 1 < s.size() && static_cast<unsigned char>(s[j + 1]) == c) {
                        t.text += s[j];
                        j += 2;
                        continue;
                    }
                    break;
                }
                t.text += s[j++];
            }
            i = j + 1;
        } else if (c == '#') {
            std::size_t end = s.find('#', i + 1);
            if (end == std::string_view::npos) throw Failure{errSyntax};
            auto d = parseDateLiteral(s.substr(i + 1, end - i - 1));
            if (!d) throw Failure{errSyntax};
            t.kind = Tok::DateLit;
            t.date = *d;
            i = end + 1;
        } else if (std::isdigit(c) ||
                   (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            t.kind = Tok::Number;
            std::size_t j = i;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
            if (j < s.size() && s[j] == '.') {
                ++j;
                while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
            }
            if (j < s.size() && isWordChar(static_cast<unsigned char>(s[j]))) throw Failure{errSyntax};
            t.text = std::string(s.substr(i, j - i));
            i = j;
        } else if (isWordStart(c)) {
            t.kind = Tok::Word;
            std::size_t j = i;
            while (j < s.size() && isWordChar(static_cast<unsigned char>(s[j]))) ++j;
            t.text = std::string(s.substr(i, j - i));
            i = j;
        } else {
            t.kind = Tok::Op;
            std::string_view two = s.substr(i, 2);
            if (two == "<=" || two == ">=" || two == "<>") {
                t.text = std::string(two);
                i += 2;
            } else if (std::string_view("=<>(),.*;-+").find(static_cast<char>(c)) != std::string_view::npos) {
                t.text = std::string(1, static_cast<char>(c));
                ++i;
            } else {
                throw Failure{errSyntax};
            }
        }
        out.push_back(std::move(t));
    }
    out.push_back(Token{});
    return out;
}

const char* const kReserved[] = {"SELECT", "FROM", "WHERE", "ORDER", "BY",   "ASC",  "DESC",  "AND",
                                 "OR",     "NOT",  "LIKE",  "IS",    "NULL", "TRUE", "FALSE", "DELETE"};

bool isReserved(const std::string& w) {
    for (auto r : kReserved)
        if (equalText(w, r)) return true;
    return false;
}

// A name as written: [qualifier.]name, where name may be "*" in a select list.
struct NameRef {
    std::string qualifier, name;
    bool star = false;
};

class Translator {
public:
    Translator(std::string_view text, int unknownField) : toks_(tokenize(text)), unknownField_(unknownField) {}

    const Token& peek(std::size_t ahead = 0) const { return toks_[std::min(pos_ + ahead, toks_.size() - 1)]; }
    bool atEnd() const { return peek().kind == Tok::End; }
    bool isKeyword(const char* kw, std::size_t ahead = 0) const {
        return peek(ahead).kind == Tok::Word && equalText(peek(ahead).text, kw);
    }
    bool acceptKeyword(const char* kw) {
        if (!isKeyword(kw)) return false;
        ++pos_;
        return true;
    }
    bool isOp(const char* op, std::size_t ahead = 0) const {
        return peek(ahead).kind == Tok::Op && peek(ahead).text == op;
    }
    bool acceptOp(const char* op) {
        if (!isOp(op)) return false;
        ++pos_;
        return true;
    }
    void expectOp(const char* op, int number = errSyntax) {
        if (!acceptOp(op)) throw Failure{number};
    }

    bool atName() const {
        const Token& t = peek();
        return t.kind == Tok::Name || (t.kind == Tok::Word && !isReserved(t.text));
    }

    NameRef readName(bool allowStar) {
        NameRef r;
        if (allowStar && acceptOp("*")) {
            r.star = true;
            return r;
        }
        if (!atName()) throw Failure{errSyntax};
        r.name = toks_[pos_++].text;
        if (acceptOp(".")) {
            r.qualifier = r.name;
            if (allowStar && acceptOp("*")) {
                r.star = true;
                r.name.clear();
            } else if (peek().kind == Tok::Name || peek().kind == Tok::Word) {
                r.name = toks_[pos_++].text;
            } else {
                throw Failure{errSyntax};
            }
        }
        return r;
    }

    void setTable(const TableInfo* t) { table_ = t; }

    // The column a name stands for, or the unknown-field failure.
    int resolve(const NameRef& r) {
        if (!r.qualifier.empty() && !equalText(r.qualifier, table_->name)) unknown(r);
        int col = table_->find(r.name);
        if (col < 0) unknown(r);
        return col;
    }

    [[noreturn]] void unknown(const NameRef& r) {
        unknownName_ = r.qualifier.empty() ? r.name : r.qualifier + "." + r.name;
        throw Failure{unknownField_};
    }

    std::string addParam(Param p) {
        out_.params.push_back(std::move(p));
        return "?" + std::to_string(out_.params.size());
    }

    std::string parseOr() {
        std::string left = parseAnd();
        while (acceptKeyword("OR")) left = "(" + left + " OR " + parseAnd() + ")";
        return left;
    }

    std::string parseAnd() {
        std::string left = parseNot();
        while (acceptKeyword("AND")) left = "(" + left + " AND " + parseNot() + ")";
        return left;
    }

    std::string parseNot() {
        if (acceptKeyword("NOT")) {
            Nested level(*this);
            return "(NOT " + parseNot() + ")";
        }
        return parsePredicate();
    }

    std::string parsePredicate() {
        std::string left = parseOperand();
        static const char* const ops[] = {"=", "<>", "<=", ">=", "<", ">"};
        for (auto op : ops)
            if (acceptOp(op)) return "(" + left + " " + op + " " + parseOperand() + ")";
        bool negate = false;
        if (isKeyword("NOT") && isKeyword("LIKE", 1)) {
            ++pos_;
            negate = true;
        }
        if (acceptKeyword("LIKE")) {
            if (peek().kind != Tok::String) throw Failure{errSyntax};
            LikePattern check;
            if (!check.compile(peek().text)) throw Failure{errSyntax};
            std::string call = "qs_like(" + addParam(toks_[pos_++].text) + ", " + left + ")";
            return negate ? "(NOT " + call + ")" : call;
        }
        if (negate) throw Failure{errSyntax};
        if (acceptKeyword("IS")) {
            bool isNot = acceptKeyword("NOT");
            if (!acceptKeyword("NULL")) throw Failure{errSyntax};
            return "(" + left + (isNot ? " IS NOT NULL)" : " IS NULL)");
        }
        return left;
    }

    std::string parseOperand() {
        const Token& t = peek();
        switch (t.kind) {
        case Tok::Op:
            if (acceptOp("(")) {
                Nested level(*this);
                std::string inner = parseOr();
                expectOp(")");
                return "(" + inner + ")";
            }
            if (isOp("-") || isOp("+")) {
                bool minus = isOp("-");
                ++pos_;
                if (peek().kind != Tok::Number) throw Failure{errSyntax};
                return number(toks_[pos_++].text, minus);
            }
            throw Failure{errSyntax};
        case Tok::String: return addParam(toks_[pos_++].text);
        case Tok::Number: return number(toks_[pos_++].text, false);
        case Tok::DateLit: return addParam(toks_[pos_++].date);
        case Tok::Word:
            if (acceptKeyword("TRUE")) return addParam(int64_t(-1));
            if (acceptKeyword("FALSE")) return addParam(int64_t(0));
            if (acceptKeyword("NULL")) return "NULL";
            [[fallthrough]];
        case Tok::Name: {
            NameRef r = readName(false);
            return quoted(table_->columns[resolve(r)].name);
        }
        case Tok::End: break;
        }
        throw Failure{errSyntax};
    }

    std::string number(const std::string& digits, bool minus) {
        if (digits.find('.') == std::string::npos && digits.size() < 18) {
            int64_t n = std::strtoll(digits.c_str(), nullptr, 10);
            return addParam(minus ? -n : n);
        }
        double d = std::strtod(digits.c_str(), nullptr);
        return addParam(minus ? -d : d);
    }

    std::string orderBy() {
        std::string out;
        do {
            if (!atName()) throw Failure{3138};
            NameRef r = readName(false);
            out += (out.empty() ? "" : ", ") + quoted(table_->columns[resolve(r)].name);
            if (acceptKeyword("DESC"))
                out += " DESC";
            else {
                acceptKeyword("ASC");
                out += " ASC";
            }
        } while (acceptOp(","));
        return out;
    }

    void finish() {
        acceptOp(";");
        if (!atEnd()) throw Failure{3142};
    }

    Translated& result() { return out_; }
    const std::string& unknownName() const { return unknownName_; }
    std::size_t pos_ = 0;

private:
    // One level of parentheses or NOT for the scope.
    struct Nested {
        explicit Nested(Translator& t) : t_(t) {
            if (++t_.depth_ > kMaxNesting) {
                --t_.depth_;
                throw Failure{errTooComplex};
            }
        }
        ~Nested() { --t_.depth_; }
        Translator& t_;
    };
    int depth_ = 0;

    std::vector<Token> toks_;
    int unknownField_;
    const TableInfo* table_ = nullptr;
    Translated out_;
    std::string unknownName_;
};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool startsWithWord(std::string_view s, std::string_view word) {
    s = trimmed(s);
    return s.size() >= word.size() && equalText(s.substr(0, word.size()), word) &&
           (s.size() == word.size() || !isWordChar(static_cast<unsigned char>(s[word.size()])));
}

[[noreturn]] void report(const Failure& f, const Translator* t, const std::string& text) {
    if (f.number == errUnknownName) raiseNumber(errUnknownName, t ? t->unknownName() : text);
    if (f.number == errSyntax) raiseNumber(errSyntax, text);
    raiseNumber(f.number);
}

}  // namespace

SelectQuery parseSource(Connection& c, const std::string& text) {
    SelectQuery q;
    if (!startsWithWord(text, "SELECT")) {
        std::string_view name = trimmed(text);
        if (name.size() >= 2 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
        TableInfo t = c.table(name);
        q.table = t;
        for (std::size_t i = 0; i < t.columns.size(); ++i) q.columns.push_back(static_cast<int>(i));
        return q;
    }
    std::optional<Translator> tr;
    try {
        tr.emplace(text, errTooFewParameters);
        tr->acceptKeyword("SELECT");
        std::vector<NameRef> items;
        do {
            if (!tr->atName() && !tr->isOp("*")) throw Failure{3141};
            items.push_back(tr->readName(true));
        } while (tr->acceptOp(","));
        if (!tr->acceptKeyword("FROM")) throw Failure{3141};
        if (!tr->atName()) throw Failure{3131};
        std::string tableName = tr->readName(false).name;
        TableInfo t = c.table(tableName);  // 3078 passes through
        tr->setTable(&t);
        q.table = t;
        for (auto& item : items) {
            if (item.star) {
                if (!item.qualifier.empty() && !equalText(item.qualifier, t.name)) tr->unknown(item);
                for (std::size_t i = 0; i < t.columns.size(); ++i) q.columns.push_back(static_cast<int>(i));
            } else {
                q.columns.push_back(tr->resolve(item));
            }
        }
        if (tr->acceptKeyword("WHERE")) q.where.sql = tr->parseOr();
        if (tr->acceptKeyword("ORDER")) {
            if (!tr->acceptKeyword("BY")) throw Failure{3138};
            q.orderBy = tr->orderBy();
        }
        tr->finish();
        q.where.params = std::move(tr->result().params);
        return q;
    } catch (const Failure& f) {
        report(f, tr ? &*tr : nullptr, text);
    }
}

Translated translateCriterion(const TableInfo& t, const std::string& text) {
    std::optional<Translator> tr;
    try {
        tr.emplace(text, errUnknownName);
        tr->setTable(&t);
        if (tr->atEnd()) throw Failure{errSyntax};
        std::string sql = tr->parseOr();
        if (!tr->atEnd()) throw Failure{errSyntax};
        Translated out = std::move(tr->result());
        out.sql = std::move(sql);
        return out;
    } catch (const Failure& f) {
        report(f, tr ? &*tr : nullptr, text);
    }
}

Translated translateAction(Connection& c, const std::string& text) {
    std::optional<Translator> tr;
    try {
        if (!startsWithWord(text, "DELETE")) throw Failure{errInvalidStatement};
        tr.emplace(text, errTooFewParameters);
        tr->acceptKeyword("DELETE");
        tr->acceptOp("*");
        if (!tr->acceptKeyword("FROM") || !tr->atName()) throw Failure{3131};
        TableInfo t = c.table(tr->readName(false).name);
        tr->setTable(&t);
        Translated out;
        out.sql = "DELETE FROM " + quoted(t.name);
        if (tr->acceptKeyword("WHERE")) out.sql += " WHERE " + tr->parseOr();
        tr->finish();
        out.params = std::move(tr->result().params);
        return out;
    } catch (const Failure& f) {
        report(f, tr ? &*tr : nullptr, text);
    }
}

}  // namespace qs::db::detail
