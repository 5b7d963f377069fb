// The texts the lists hand to the engine, checked on their own and against the engine itself.
#include <gtest/gtest.h>

#include "app/listquery.h"
#include "platform/runtime/dates.h"

using namespace qs::app;

TEST(ListQueries, SearchClausesPerList) {
    EXPECT_EQ(searchWhere(listJobs, ""), "");
    EXPECT_EQ(searchWhere(listJobs, "AB"), " WHERE ((Jobs.JobName Like \"*ab*\"))");
    EXPECT_EQ(searchWhere(listFavorites, "Ne"),
              " WHERE ((Favorites.FavName Like \"*ne*\")) OR ((Favorites.FavKeywords Like \"*ne*\"))");
    EXPECT_EQ(searchWhere(listPhone, "sMiTh"), " WHERE ((Phone.PName Like \"*smith*\"))");
    EXPECT_EQ(searchWhere(7, "x"), "");
    // Wildcards typed by the user stay wildcards.
    EXPECT_EQ(searchWhere(listJobs, "a*b?"), " WHERE ((Jobs.JobName Like \"*a*b?*\"))");
}

TEST(ListQueries, QuotesInTextAreDoubled) {
    EXPECT_EQ(quoted(""), "\"\"");
    EXPECT_EQ(quoted("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(searchWhere(listJobs, "a\"b"), " WHERE ((Jobs.JobName Like \"*a\"\"b*\"))");
    EXPECT_EQ(reselectCriterion(listFavorites, "X\"Y"), "FavName LIKE \"X\"\"Y\"");
}

TEST(ListQueries, ReselectComparesLiterally) {
    EXPECT_EQ(reselectCriterion(listJobs, "LETTER.TXT"), "JobName LIKE \"LETTER.TXT\"");
    EXPECT_EQ(reselectCriterion(listPhone, "A[1]*?#"), "PName LIKE \"A[[]1][*][?][#]\"");
    EXPECT_EQ(reselectCriterion(3, "A"), "");
}

TEST(ListQueries, SortFieldsAndDirections) {
    EXPECT_EQ(sortField(listJobs, 0), "Jobs.JobName");
    EXPECT_EQ(sortField(listJobs, 2), "Jobs.JobFullName");
    EXPECT_EQ(sortField(listJobs, 3), "Jobs.JobLocation");
    EXPECT_EQ(sortField(listJobs, 4), "Jobs.JobPermanent");
    EXPECT_FALSE(sortField(listJobs, 5));
    EXPECT_FALSE(sortField(listJobs, -1));
    EXPECT_EQ(sortField(listFavorites, 2), "Favorites.FavKeywords");
    EXPECT_EQ(sortField(listFavorites, 9), "Favorites.FavName");
    EXPECT_EQ(sortField(listPhone, 1), "Phone.PInfo");
    EXPECT_EQ(sortField(listPhone, 2), "Phone.PName");

    EXPECT_EQ(nextSortDirection(1, 0, " ASC"), " ASC");
    EXPECT_EQ(nextSortDirection(1, 1, " ASC"), " DESC");
    EXPECT_EQ(nextSortDirection(1, 1, " DESC"), " ASC");
    EXPECT_EQ(nextSortDirection(0, 0, ""), " ASC");
    EXPECT_EQ(orderClause("Jobs.JobDate", " DESC"), " ORDER BY Jobs.JobDate DESC");
    EXPECT_EQ(recordSource(kSqlPhone, "", kOrderPhone),
              "SELECT Phone.PName, Phone.PInfo FROM Phone ORDER BY Phone.PName;");
}

TEST(ListQueries, PurgeCutOff) {
    const double dec8 = qs::rt::makeDate(2024, 12, 8, 15, 30);
    EXPECT_EQ(purgeSource(qs::rt::makeDate(2024, 12, 8), 90),
              "SELECT Jobs.* FROM Jobs WHERE (Jobs.JobPermanent = False) AND (Jobs.JobDate < #09/09/2024#)");
    EXPECT_EQ(purgeSource(qs::rt::makeDate(2024, 12, 8), 0),
              "SELECT Jobs.* FROM Jobs WHERE (Jobs.JobPermanent = False) AND (Jobs.JobDate < #12/08/2024#)");
    // Across a year end, and a time of day never leaks into the cut-off.
    EXPECT_EQ(purgeSource(qs::rt::makeDate(2025, 1, 15), 30),
              "SELECT Jobs.* FROM Jobs WHERE (Jobs.JobPermanent = False) AND (Jobs.JobDate < #12/16/2024#)");
    EXPECT_NE(purgeSource(dec8, 1).find("#12/07/2024#"), std::string::npos);
}

TEST(ListLooks, WidthsRoundHalfToEven) {
    EXPECT_EQ(columnWidth(7155, 0.4), 2862);
    EXPECT_EQ(columnWidth(7155, 0.25), 1789);  // 1788.75
    EXPECT_EQ(columnWidth(7155, 0.35), 2504);  // 2504.25
    EXPECT_EQ(columnWidth(7155, 0.5), 3578);   // 3577.5 -> even
    EXPECT_EQ(columnWidth(7165, 0.5), 3582);   // 3582.5 -> even
    EXPECT_EQ(columnWidth(7155, 0), 0);
    EXPECT_EQ(listLook(listJobs).lastCol, 3);
    EXPECT_EQ(listLook(listFavorites).lastCol, 2);
    EXPECT_EQ(listLook(listPhone).captions, (std::vector<std::string>{"Name", "Info"}));
}

TEST(ListLooks, ScrollRangeAndTopRow) {
    EXPECT_EQ(scrollMax(1), 2);
    EXPECT_EQ(scrollMax(3), 2);
    EXPECT_EQ(scrollMax(4), 3);
    EXPECT_EQ(scrollMax(10), 9);
    EXPECT_EQ(restoredTopRow(5, 10), 5);
    EXPECT_EQ(restoredTopRow(12, 10), 9);
    EXPECT_EQ(restoredTopRow(9, 10), 9);
}

TEST(ListLooks, Colours) {
    EXPECT_EQ(kJobColour, 0xA69244u);
    EXPECT_EQ(kPermanentJobColour, 0xFFE169u);
    EXPECT_EQ(kTipColours[2].fore, 0x36E4FFu);
}
