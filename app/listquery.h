#pragma once
// The query model of the three lists and the fixed looks of their grids, kept apart from the window so
// that the texts handed to the engine can be checked without one.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/db.h"

namespace qs::app {

enum ListIndex : int16_t { listJobs = 0, listFavorites = 1, listPhone = 2 };

inline constexpr const char* kSqlJobs =
    "SELECT Jobs.JobName, Jobs.JobDate, Jobs.JobLocation, Jobs.JobFullName, Jobs.JobPermanent FROM Jobs";
inline constexpr const char* kSqlFavorites =
    "SELECT Favorites.FavName, Favorites.FavURL, Favorites.FavKeywords FROM Favorites";
inline constexpr const char* kSqlPhone = "SELECT Phone.PName, Phone.PInfo FROM Phone";

inline constexpr const char* kOrderJobs = " ORDER BY Jobs.JobName";
inline constexpr const char* kOrderFavorites = " ORDER BY Favorites.FavName";
inline constexpr const char* kOrderPhone = " ORDER BY Phone.PName";

// A text literal for a criterion or query.
using db::quoted;

// `text` with the Like pattern characters (* ? # [) each put in brackets, so Like compares it literally.
std::string likeLiteral(std::string_view text);

// The list's Like test(s) on `typed` lower-cased and between "*" wildcards, as a WHERE clause, also for an
// empty text (which leaves out the rows whose searched fields are Null). Wildcards typed by the user
// keep acting as wildcards; empty for an unknown list.
std::string searchClause(int list, std::string_view typed);

// The WHERE clause of a list's search box: empty for an empty text, otherwise searchClause.
std::string searchWhere(int list, std::string_view typed);

// The field a column of the list sorts by; nullopt where the list keeps its order (Jobs, unknown column).
std::optional<std::string> sortField(int list, int32_t col);

// " ASC" or " DESC": the direction a sort on `col` settles, given the last sort.
std::string nextSortDirection(int32_t col, int32_t lastSortCol, std::string_view lastSortDir);

// " ORDER BY <field><direction>".
std::string orderClause(std::string_view field, std::string_view direction);

// Base SELECT, WHERE clause, ORDER BY clause and ";".
std::string recordSource(std::string_view sql, std::string_view where, std::string_view order);

// Criterion finding the first record whose column-0 text equals `name`, letter case ignored.
std::string reselectCriterion(int list, std::string_view name);

// Record source of the purge at exit: non-permanent jobs dated before `today` minus `timelimit` days.
std::string purgeSource(double today, int16_t timelimit);

// How a list's grid looks: its last selected column, column width fractions and header captions.
struct ListLook {
    int32_t lastCol;
    std::vector<double> widths;
    std::vector<std::string> captions;  // visible columns only
};
const ListLook& listLook(int list);

// A column width in twips: the window width times the fraction, rounded half to even.
int32_t columnWidth(double windowWidthTwips, double fraction);

// The scroll bar's maximum for a grid of `rows` rows (header included).
int32_t scrollMax(int32_t rows);

// The TopRow a redraw restores: `topRow`, but at most the last row.
int32_t restoredTopRow(int32_t topRow, int32_t rows);

// Colours, as the platform takes them (blue in the high byte).
inline constexpr uint32_t rgb(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}
inline constexpr uint32_t kJobColour = rgb(0x44, 0x92, 0xA6);
inline constexpr uint32_t kPermanentJobColour = rgb(0x69, 0xE1, 0xFF);
struct TipColours {
    uint32_t back, fore;
};
inline constexpr std::array<TipColours, 3> kTipColours{{
    {rgb(0x3B, 0x63, 0x80), rgb(0x75, 0xC6, 0xFF)},
    {rgb(0x00, 0x80, 0x40), rgb(0x00, 0xFF, 0x00)},
    {rgb(0x6E, 0x62, 0x17), rgb(0xFF, 0xE4, 0x36)},
}};

}  // namespace qs::app
