#pragma once
// The three lists of the main window are one kind of thing: a record each, in a table indexed by
// displaywhich. The main window's list behaviour (app/lists.cpp) is written once over a record; the
// per-list procedures (redrawGrid3, sortPhone ...) are one-line calls into it.
//
// The query pieces, kept search texts, TopRows and names stay the shared variables other windows know
// them by (whereJobs, topRowPhone ...); a record refers to its list's.
#include <array>
#include <cstdint>
#include <string>

#include "app/listquery.h"

namespace qs::controls {
class DataControl;
class FlexGrid;
}  // namespace qs::controls

namespace qs::forms {
class PictureButton;
}  // namespace qs::forms

namespace qs::app {

struct ListState {
    ListIndex index;                               // its displaywhich
    controls::FlexGrid* grid;                      // MSgrid1, MSgrid2, MSgrid3
    controls::DataControl* data;                   // Data1, Data2, Data3
    std::array<forms::PictureButton*, 2> buttons;  // its command buttons, shown only with it
    const char* baseSelect;                        // kSqlJobs ...
    const char* defaultOrder;                      // kOrderJobs ...
    std::string& sql;                              // sqlJobs ...: the base SELECT in use
    std::string& where;                            // whereJobs ...: from the last search
    std::string& order;                            // orderJobs ...: from the last sort
    std::string& searchText;                       // searchTextJobs ...: the box's text for this list
    int32_t& keptTopRow;                           // topRowJobs ...: restored by the list switch
    std::string& keptName;                         // selectedNameJobs ...: selected again by the switch

    // Base SELECT, WHERE and ORDER BY clauses and ";": what its data control runs.
    std::string recordSource() const { return app::recordSource(sql, where, order); }
    const ListLook& look() const { return listLook(index); }
};

}  // namespace qs::app
