#include "app/globals.h"

#include <gtest/gtest.h>

using namespace qs::app;

TEST(Globals, ResetGoesBackToTheStartValues) {
    myDBname = "C:\\X.MDB";
    openexplorer = true;
    timelimit = 90;
    sortby = 3;
    sortdir = " DESC";
    displaywhich = 2;
    topRow = 5;
    stayOnTop = true;
    keywordsResult = phoneNameResult = phoneInfoResult = editorSQL = "x";
    searchTextJobs = searchTextFavorites = searchTextPhone = "x";
    sqlJobs = sqlFavorites = sqlPhone = "x";
    whereJobs = whereFavorites = wherePhone = "x";
    orderJobs = orderFavorites = orderPhone = "x";
    sortAsc.fill(true);
    selectedName = selectedNameJobs = selectedNameFavorites = selectedNamePhone = "x";
    topRowJobs = topRowFavorites = topRowPhone = 4;
    switchingView = headerClicked = true;
    hWndReceiver = reinterpret_cast<HWND>(1);
    oldWndProc = DefWindowProcW;
    receivedPath = "x";

    resetGlobals();

    for (const std::string* s : {&myDBname,
                                 &sortdir,
                                 &keywordsResult,
                                 &phoneNameResult,
                                 &phoneInfoResult,
                                 &editorSQL,
                                 &searchTextJobs,
                                 &searchTextFavorites,
                                 &searchTextPhone,
                                 &sqlJobs,
                                 &sqlFavorites,
                                 &sqlPhone,
                                 &whereJobs,
                                 &whereFavorites,
                                 &wherePhone,
                                 &orderJobs,
                                 &orderFavorites,
                                 &orderPhone,
                                 &selectedName,
                                 &selectedNameJobs,
                                 &selectedNameFavorites,
                                 &selectedNamePhone,
                                 &receivedPath})
        EXPECT_EQ(*s, "");
    EXPECT_FALSE(openexplorer || stayOnTop || switchingView || headerClicked);
    EXPECT_EQ(timelimit + sortby + displaywhich + topRow + topRowJobs + topRowFavorites + topRowPhone, 0);
    for (bool b : sortAsc) EXPECT_FALSE(b);
    EXPECT_EQ(hWndReceiver, nullptr);
    EXPECT_EQ(oldWndProc, nullptr);
}
