#include "app/listquery.h"

#include "platform/runtime/convert.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/text.h"

namespace qs::app {

std::string likeLiteral(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '*' || c == '?' || c == '#' || c == '[') {
            out += '[';
            out += c;
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

std::string searchClause(int list, std::string_view typed) {
    const std::string pattern = quoted("*" + rt::LCase(typed) + "*");
    switch (list) {
    case listJobs: return " WHERE ((Jobs.JobName Like " + pattern + "))";
    case listFavorites:
        return " WHERE ((Favorites.FavName Like " + pattern + ")) OR ((Favorites.FavKeywords Like " + pattern + "))";
    case listPhone: return " WHERE ((Phone.PName Like " + pattern + "))";
    }
    return {};
}

std::string searchWhere(int list, std::string_view typed) {
    return typed.empty() ? std::string() : searchClause(list, typed);
}

std::optional<std::string> sortField(int list, int32_t col) {
    switch (list) {
    case listJobs: {
        static const char* const fields[] = {"Jobs.JobName", "Jobs.JobDate", "Jobs.JobFullName", "Jobs.JobLocation",
                                             "Jobs.JobPermanent"};
        if (col >= 0 && col <= 4) return fields[col];
        return std::nullopt;
    }
    case listFavorites:
        if (col == 1) return "Favorites.FavURL";
        if (col == 2) return "Favorites.FavKeywords";
        return "Favorites.FavName";
    case listPhone: return col == 1 ? "Phone.PInfo" : "Phone.PName";
    }
    return std::nullopt;
}

std::string nextSortDirection(int32_t col, int32_t lastSortCol, std::string_view lastSortDir) {
    if (col != lastSortCol) return " ASC";
    return lastSortDir == " ASC" ? " DESC" : " ASC";
}

std::string orderClause(std::string_view field, std::string_view direction) {
    std::string out = " ORDER BY ";
    out += field;
    out += direction;
    return out;
}

std::string recordSource(std::string_view sql, std::string_view where, std::string_view order) {
    std::string out;
    out.reserve(sql.size() + where.size() + order.size() + 1);
    out += sql;
    out += where;
    out += order;
    out += ';';
    return out;
}

std::string reselectCriterion(int list, std::string_view name) {
    static const char* const prefixes[] = {"JobName LIKE ", "FavName LIKE ", "PName LIKE "};
    if (list < 0 || list > 2) return {};
    return prefixes[list] + quoted(likeLiteral(name));
}

std::string purgeSource(double today, int16_t timelimit) {
    const double cutOff = rt::DateAdd('d', -double(timelimit), today);
    return "SELECT Jobs.* FROM Jobs WHERE (Jobs.JobPermanent = False) AND (Jobs.JobDate < #" +
           rt::formatMMDDYYYY(cutOff) + "#)";
}

const ListLook& listLook(int list) {
    static const ListLook looks[] = {
        {3, {0.4, 0.25, 0.35, 0, 0}, {"FileName", "FileDate", "File Location"}},
        {2, {0.4, 0.25, 0.35}, {"Name", "URL", "Keywords"}},
        {1, {0.5, 0.5}, {"Name", "Info"}},
    };
    return looks[list < 0 || list > 2 ? 0 : list];
}

int32_t columnWidth(double windowWidthTwips, double fraction) {
    return int32_t(rt::roundHalfEven(windowWidthTwips * fraction));
}

int32_t scrollMax(int32_t rows) { return rows > 3 ? rows - 1 : 2; }

int32_t restoredTopRow(int32_t topRow, int32_t rows) { return topRow > rows - 1 ? rows - 1 : topRow; }

}  // namespace qs::app
