// The query dialect, as the program builds criteria and record sources from what the user types and
// what files and messages hold, run through the engine's own translation on an in-memory SQLite database
// with the engine's collation and Like.
// Properties:
// - a criterion built the way the program builds one (the value between double quotes, quotes doubled:
//   quoted(), reselectCriterion()) from any text translates to the same statement as for a plain text,
//   with the text as its one parameter, and selects exactly the rows whose field equals the text, letter
//   case ignored: no text changes the statement's shape;
// - a search typed into a list's box gives the list's usual statement with the typed text in the Like
//   parameters, or the syntax error of a malformed pattern, and selects the rows the pattern matches;
// - the purge's record source reads back the cut-off date it was built with;
// - any other criterion, SELECT or DELETE text translates or fails with the engine's error, and what it
//   translates to holds no text of its own: only the table's quoted field names, numbered parameters,
//   operators and the few keywords of the translation.
#include "app/listquery.h"
#include "platform/db/internal.h"
#include "platform/db/textrules.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"
#include "tests/fuzz/check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>

using namespace qs::db;
using namespace qs::db::detail;
using qs::fuzz::shown;

namespace {

struct Fixture {
    Connection c;
    TableInfo jobs, favorites, phone;

    Fixture() {
        c.path = ":memory:";
        if (sqlite3_open_v2(":memory:", &c.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            std::abort();
        registerFunctions(c.db);
        // As Database::appendTableDef makes them: declared types, then an index on every Text field.
        create("Jobs", {{"JobName", dbText},
                        {"JobDate", dbDate},
                        {"JobLocation", dbText},
                        {"JobFullName", dbText},
                        {"JobPermanent", dbBoolean}});
        create("Favorites", {{"FavName", dbText}, {"FavURL", dbText}, {"FavKeywords", dbText}});
        create("Phone", {{"PName", dbText}, {"PInfo", dbText}});
        jobs = c.table("Jobs");
        favorites = c.table("Favorites");
        phone = c.table("Phone");
    }

    void create(const std::string& name, const std::vector<Column>& fields) {
        std::string sql = "CREATE TABLE " + quoted(name) + " (";
        for (size_t i = 0; i < fields.size(); ++i)
            sql += (i ? ", " : "") + quoted(fields[i].name) + " " + declaredType(fields[i].type);
        exec(c, sql + ")");
        for (const Column& f : fields)
            if (f.type == dbText) exec(c, textIndexSql(name, f.name));
    }

    // Every table holds one row per text (rowid = index + 1), the text in each of its Text fields.
    void fill(const std::vector<std::string>& texts) {
        exec(c, "DELETE FROM \"Jobs\"; DELETE FROM \"Favorites\"; DELETE FROM \"Phone\"");
        Stmt j(c,
               "INSERT INTO \"Jobs\" (rowid, \"JobName\", \"JobDate\", \"JobLocation\", \"JobFullName\", "
               "\"JobPermanent\") VALUES (?1, ?2, ?3, ?2, ?2, ?4)");
        Stmt f(c,
               "INSERT INTO \"Favorites\" (rowid, \"FavName\", \"FavURL\", \"FavKeywords\") VALUES (?1, ?2, ?2, ?3)");
        Stmt p(c, "INSERT INTO \"Phone\" (rowid, \"PName\", \"PInfo\") VALUES (?1, ?2, ?2)");
        for (size_t i = 0; i < texts.size(); ++i) {
            const std::string& t = texts[i];
            const std::string& other = texts[(i + 1) % texts.size()];
            j.bindAll({int64_t(i + 1), t, double(45000 + int(i) * 7) + 0.25 * double(i % 4), int64_t(i % 2 ? -1 : 0)});
            j.step();
            j.reset();
            f.bindAll({int64_t(i + 1), t, other});
            f.step();
            f.reset();
            p.bindAll({int64_t(i + 1), t});
            p.step();
            p.reset();
        }
    }

    std::vector<int64_t> rows(const std::string& sql, const std::vector<Param>& params) {
        Stmt st(c, sql);
        st.bindAll(params);
        std::vector<int64_t> out;
        while (st.step()) out.push_back(st.int64(0));
        return out;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

std::string paramText(const Param& p) {
    if (auto s = std::get_if<std::string>(&p)) return shown(*s);
    if (auto i = std::get_if<int64_t>(&p)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&p)) return std::to_string(*d);
    return "Null";
}

std::string describe(const std::string& text, const Translated& t) {
    std::string out = shown(text) + "\n  -> " + t.sql;
    for (const Param& p : t.params) out += " | " + paramText(p);
    return out;
}

// The translation holds only the table's quoted field names, ?1..?N, operators and its own keywords.
void checkShape(const std::string& sql, const TableInfo& table, size_t params, const std::string& what) {
    static const char* const words[] = {"AND", "OR", "NOT", "IS", "NULL", "qs_like", "ASC", "DESC"};
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == ' ' || c == '(' || c == ')' || c == ',' || c == '=') {
            ++i;
        } else if (c == '<' || c == '>') {
            i += i + 1 < sql.size() && (sql[i + 1] == '=' || (c == '<' && sql[i + 1] == '>')) ? 2 : 1;
        } else if (c == '"') {
            std::string name;
            size_t j = i + 1;
            for (; j < sql.size(); ++j) {
                if (sql[j] == '"') {
                    if (j + 1 < sql.size() && sql[j + 1] == '"') {
                        name += '"';
                        ++j;
                        continue;
                    }
                    break;
                }
                name += sql[j];
            }
            FUZZ_CHECK(j < sql.size(), what);
            bool column = false;
            for (const Column& col : table.columns) column = column || col.name == name;
            FUZZ_CHECK(column, what + "\n  names " + shown(name));
            i = j + 1;
        } else if (c == '?') {
            size_t j = i + 1, n = 0;
            while (j < sql.size() && std::isdigit(static_cast<unsigned char>(sql[j])))
                n = n * 10 + size_t(sql[j++] - '0');
            FUZZ_CHECK(j > i + 1 && n >= 1 && n <= params, what);
            i = j;
        } else {
            size_t j = i;
            while (j < sql.size() && (std::isalpha(static_cast<unsigned char>(sql[j])) || sql[j] == '_')) ++j;
            const std::string word = sql.substr(i, j - i);
            FUZZ_CHECK(std::find(std::begin(words), std::end(words), word) != std::end(words),
                       what + "\n  at " + sql.substr(i, 20));
            i = j;
        }
    }
}

// The statements of the engine: FindFirst's, and the one a recordset opens with (Recordset.cpp).
std::string findFirstSql(const TableInfo& t, const Translated& criterion) {
    return "SELECT rowid FROM " + quoted(t.name) + " WHERE " + criterion.sql;
}

std::string openSql(const SelectQuery& q) {
    std::string sql = "SELECT rowid FROM " + quoted(q.table.name);
    if (!q.where.sql.empty()) sql += " WHERE " + q.where.sql;
    return sql + " ORDER BY " + (q.orderBy.empty() ? std::string() : q.orderBy + ", ") + "rowid";
}

std::vector<int64_t> equalRows(const std::vector<std::string>& texts, const std::string& value) {
    std::vector<int64_t> out;
    for (size_t i = 0; i < texts.size(); ++i)
        if (equalText(texts[i], value)) out.push_back(int64_t(i + 1));
    return out;
}

std::vector<std::string> textsAround(const std::string& value, FuzzedDataProvider& provider) {
    std::vector<std::string> texts = {value,
                                      qs::rt::UCase(value),
                                      qs::rt::LCase(value),
                                      value + "x",
                                      value.substr(0, value.size() / 2),
                                      "C:\\DOCS\\LETTER.TXT"};
    while (provider.remaining_bytes() > 0 && texts.size() < 12)
        texts.push_back(provider.ConsumeRandomLengthString(300));
    return texts;
}

void equality(FuzzedDataProvider& provider) {
    Fixture& f = fixture();
    const std::string value = provider.ConsumeRandomLengthString(300);
    const std::vector<std::string> texts = textsAround(value, provider);
    f.fill(texts);
    const std::vector<int64_t> expected = equalRows(texts, value);

    // The job recorders' and the imports' lookups.
    static const char* const prefixes[] = {
        "JobFullName = ", "[JobFullName] = ", "Jobs.JobFullName = ", "jobfullname = "};
    for (const char* prefix : prefixes) {
        const std::string criterion = prefix + qs::app::quoted(value);
        Translated t = translateCriterion(f.jobs, criterion);
        FUZZ_CHECK(t.sql == "(\"JobFullName\" = ?1)" && t.params.size() == 1 && t.params[0] == Param(value),
                   describe(criterion, t));
        FUZZ_CHECK(f.rows(findFirstSql(f.jobs, t), t.params) == expected, describe(criterion, t));
    }
    // The list's reselect after a sort or a switch: Like with the pattern characters bracketed.
    for (int list = 0; list < 3; ++list) {
        const TableInfo& table = list == 0 ? f.jobs : list == 1 ? f.favorites : f.phone;
        const std::string criterion = qs::app::reselectCriterion(list, value);
        Translated t = translateCriterion(table, criterion);
        const std::string field = list == 0 ? "JobName" : list == 1 ? "FavName" : "PName";
        FUZZ_CHECK(t.sql == "qs_like(?1, \"" + field + "\")" && t.params.size() == 1, describe(criterion, t));
        FUZZ_CHECK(f.rows(findFirstSql(table, t), t.params) == expected, describe(criterion, t));
    }
}

void search(FuzzedDataProvider& provider) {
    Fixture& f = fixture();
    const int list = provider.ConsumeIntegralInRange(0, 2);
    const std::string typed = provider.ConsumeRandomLengthString(300);
    const std::vector<std::string> texts = textsAround(typed, provider);
    f.fill(texts);
    static const char* const bases[] = {qs::app::kSqlJobs, qs::app::kSqlFavorites, qs::app::kSqlPhone};
    static const char* const orders[] = {qs::app::kOrderJobs, qs::app::kOrderFavorites, qs::app::kOrderPhone};
    auto source = [&](const std::string& t) {
        return qs::app::recordSource(bases[list], qs::app::searchWhere(list, t), orders[list]);
    };
    // An empty box lists every row: no WHERE at all.
    const std::string pattern = typed.empty() ? "*" : "*" + qs::rt::LCase(typed) + "*";
    LikePattern like;
    const bool valid = like.compile(pattern);
    SelectQuery q;
    try {
        q = parseSource(f.c, source(typed));
    } catch (const DbError& e) {
        FUZZ_CHECK(e.number == errSyntax && !valid, shown(source(typed)) + " failed with " + e.description);
        return;
    }
    FUZZ_CHECK(valid, shown(source(typed)));
    const SelectQuery plain = parseSource(f.c, source(typed.empty() ? "" : "x"));
    FUZZ_CHECK(q.where.sql == plain.where.sql && q.orderBy == plain.orderBy && q.columns == plain.columns &&
                   q.table.name == plain.table.name,
               describe(source(typed), q.where));
    for (const Param& p : q.where.params) FUZZ_CHECK(p == Param(pattern), describe(source(typed), q.where));

    std::vector<int64_t> expected;
    for (size_t i = 0; i < texts.size(); ++i) {
        bool hit = like.matches(texts[i]) || (list == 1 && like.matches(texts[(i + 1) % texts.size()]));
        if (hit) expected.push_back(int64_t(i + 1));
    }
    std::vector<int64_t> got = f.rows(openSql(q), q.where.params);
    std::sort(got.begin(), got.end());
    FUZZ_CHECK(got == expected, describe(source(typed), q.where));
}

void purge(FuzzedDataProvider& provider) {
    Fixture& f = fixture();
    const double today = double(provider.ConsumeIntegralInRange<int32_t>(-700000, 3000000));
    const int16_t timelimit = provider.ConsumeIntegral<int16_t>();
    std::string source;
    try {
        source = qs::app::purgeSource(today, timelimit);
    } catch (const qs::rt::Error& e) {
        FUZZ_CHECK(e.number == qs::rt::errInvalidCall, std::to_string(today) + " less " + std::to_string(timelimit));
        return;
    }
    const SelectQuery q = parseSource(f.c, source);
    const qs::rt::DateParts cut = qs::rt::splitDate(qs::rt::DateAdd('d', -double(timelimit), today));
    FUZZ_CHECK(q.where.params.size() == 2 && q.where.params[0] == Param(int64_t(0)) &&
                   q.where.params[1] == Param(qs::rt::makeDate(cut.year, cut.month, cut.day)),
               describe(source, q.where));
}

// Free text: the engine's error or a translation of the expected shape that SQLite runs.
void anyText(const std::string& text, int kind, FuzzedDataProvider& provider) {
    Fixture& f = fixture();
    f.fill(textsAround(provider.ConsumeRandomLengthString(100), provider));
    try {
        if (kind == 0) {
            Translated t = translateCriterion(f.jobs, text);
            checkShape(t.sql, f.jobs, t.params.size(), describe(text, t));
            f.rows(findFirstSql(f.jobs, t), t.params);
        } else if (kind == 1) {
            SelectQuery q = parseSource(f.c, text);
            checkShape(q.where.sql, q.table, q.where.params.size(), describe(text, q.where));
            checkShape(q.orderBy, q.table, 0, shown(text) + "\n  -> ORDER BY " + q.orderBy);
            for (int col : q.columns) FUZZ_CHECK(col >= 0 && size_t(col) < q.table.columns.size(), shown(text));
            f.rows(openSql(q), q.where.params);
        } else {
            Translated t = translateAction(f.c, text);
            const TableInfo* table = nullptr;
            for (const TableInfo* candidate : {&f.jobs, &f.favorites, &f.phone})
                if (t.sql.rfind("DELETE FROM " + quoted(candidate->name), 0) == 0) table = candidate;
            FUZZ_CHECK(table, describe(text, t));
            const std::string rest = t.sql.substr(std::string("DELETE FROM " + quoted(table->name)).size());
            FUZZ_CHECK(rest.empty() || rest.rfind(" WHERE ", 0) == 0, describe(text, t));
            checkShape(rest.empty() ? rest : rest.substr(7), *table, t.params.size(), describe(text, t));
            exec(f.c, "SAVEPOINT fuzz");
            {
                Stmt st(f.c, t.sql);
                st.bindAll(t.params);
                st.step();
            }
            exec(f.c, "ROLLBACK TO fuzz; RELEASE fuzz");
        }
    } catch (const DbError&) {
        if (sqlite3_get_autocommit(f.c.db) == 0) exec(f.c, "ROLLBACK TO fuzz; RELEASE fuzz");
    }
}

// Text nested far deeper than mutations of short inputs reach: one of the dialect's nestings repeated up to
// 20,000 times around a core from the input. The nestings are fixed, so that deep inputs differ only in
// their core and depth and do not crowd out the others in the corpus.
std::string deepText(FuzzedDataProvider& provider) {
    static const std::pair<const char*, const char*> nestings[] = {{"(", ")"}, {"NOT ", ""}, {"(NOT ", ")"}};
    const auto [open, close] = nestings[provider.ConsumeIntegralInRange<size_t>(0, 2)];
    const size_t times = provider.ConsumeIntegralInRange<size_t>(0, 20000);
    std::string text;
    for (size_t i = 0; i < times; ++i) text += open;
    text += provider.ConsumeRandomLengthString(200);
    for (size_t i = 0; i < times; ++i) text += close;
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    // Deep text takes long to build and to read: one input in 256.
    const uint8_t selector = provider.ConsumeIntegral<uint8_t>();
    switch (int mode = selector == 255 ? 6 : selector % 6) {
    case 0: equality(provider); break;
    case 1: search(provider); break;
    case 2: purge(provider); break;
    case 3:
    case 4:
    case 5: {
        const std::string text = provider.ConsumeRandomLengthString(2000);
        anyText(text, mode - 3, provider);
        break;
    }
    case 6: {
        const int kind = provider.ConsumeIntegralInRange(0, 2);
        const std::string text = deepText(provider);
        anyText(text, kind, provider);
        break;
    }
    }
    return 0;
}
