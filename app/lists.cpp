// The main window's list behaviour, written once over a ListState: binding, search, sort, reselect,
// redraw, the scroll bar and the list switch.
#include "app/lists.h"

#include <algorithm>

#include "app/globals.h"
#include "app/options.h"
#include "app/quillstack1.h"
#include "app/tooltip/tooltip.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/db/db.h"
#include "platform/runtime/services.h"

namespace qs::app {

namespace {

constexpr char kLoadDbMessage[] = "Problem with Database...Please Select New One";
constexpr char kSortDbMessage[] = "Problem with Database...Please select a new one";

// Columns 0 to 3 of a job row in the colour of its JobPermanent (column 4, "True" or not).
uint32_t jobCellColour(const controls::FlexGrid& grid, int row, int col) {
    if (col > 3) return controls::FlexGrid::kRowColour;
    return grid.TextMatrix(row, 4) == "True" ? kPermanentJobColour : kJobColour;
}

}  // namespace

ListState* Quillstack1::listOf(int list) {
    if (list < 0 || list >= int(lists_.size())) return nullptr;
    return &lists_[size_t(list)];
}

controls::FlexGrid* Quillstack1::gridOf(int list) {
    ListState* state = listOf(list);
    return state ? state->grid : nullptr;
}

// --- Binding ---

void Quillstack1::bindLists() {
    for (ListState& list : lists_) {
        list.sql = list.baseSelect;
        list.where.clear();
        list.order = list.defaultOrder;
        attempt([&] { list.data->bind(*list.grid); });
    }
    // The grid asks for the rows it paints, so the colours follow every re-query and sort by themselves.
    MSgrid1->onCellBackColor = [grid = MSgrid1.get()](int row, int col) { return jobCellColour(*grid, row, col); };

    // Each failing statement shows the message and Options, then the next one runs.
    for (ListState& list : lists_) {
        databaseStep([&] { list.data->DatabaseName(myDBname); }, kLoadDbMessage, kAppTitle);
        databaseStep([&] { list.data->RecordSource(list.recordSource()); }, kLoadDbMessage, kAppTitle);
    }
}

// Once loaded, each data control opens the database and runs its query; a database that cannot be
// opened is reported here, as the data control would report it itself.
void Quillstack1::openLists() {
    for (ListState& list : lists_) {
        try {
            list.data->Refresh();
        } catch (const std::exception& e) {
            rt::services().msgBox(e.what(), MB_OK | MB_ICONEXCLAMATION, kAppTitle);
        }
    }
}

bool Quillstack1::databaseStep(const std::function<void()>& step, const char* message, const char* title) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        rt::services().msgBox(message, MB_OK, title);
        showOptions(this);
        return false;
    }
}

// The shown list's grid and command buttons; the others' hidden.
void Quillstack1::showListView(const ListState& shown) {
    for (const ListState& list : lists_) {
        for (forms::PictureButton* button : list.buttons) {
            button->Visible(0, &list == &shown);
            button->Visible(1, &list == &shown);
        }
    }
    for (const ListState& list : lists_) attempt([&] { list.grid->Visible(&list == &shown); });
}

// --- Search and sort ---

void Quillstack1::Text1_GotFocus() {}

void Quillstack1::Text1_KeyUp(int, int) {
    if (ListState* list = listOf(displaywhich)) searchList(*list, Text1.Text());
}

void Quillstack1::searchList(ListState& list, const std::string& text) {
    const std::string where = searchWhere(list.index, text);
    const std::string previous = list.data->RecordSource();
    list.data->RecordSource(recordSource(list.sql, where, list.order));
    try {
        list.data->Refresh();
    } catch (const std::exception&) {
        // A text that is no valid pattern yet (an unclosed "[") keeps the list as it was; the next key
        // tries again.
        list.data->RecordSource(previous);
        list.searchText = text;
        return;
    }
    list.where = where;
    if (list.index != listJobs) {
        attempt([&] {
            std::shared_ptr<db::Recordset> rs = list.data->Recordset();
            if (rs && rs->RecordCount() >= 1) rs->MoveLast();
        });
    }
    attempt([&] { topRow = list.grid->TopRow(); });
    list.searchText = text;
    redrawList(list);
}

void Quillstack1::sortJobs(int32_t col) { sortList(lists_[listJobs], col); }
void Quillstack1::sortFavorites(int32_t col) { sortList(lists_[listFavorites], col); }
void Quillstack1::sortPhone(int32_t col) { sortList(lists_[listPhone], col); }

void Quillstack1::sortList(ListState& list, int32_t col) {
    auto step = [this](const std::function<void()>& s) { databaseStep(s, kSortDbMessage, ""); };
    step([&] { sortby = col; });
    step([&] { list.grid->Visible(false); });
    if (list.index == listJobs)
        step([&] { topRow = list.grid->TopRow(); });
    else
        step([&] { list.grid->Refresh(); });
    step([&] { lastSortDir = nextSortDirection(col, lastSortCol, lastSortDir); });
    step([&] {
        if (std::optional<std::string> field = sortField(list.index, col))
            list.order = orderClause(*field, lastSortDir);
    });
    step([&] { list.data->DatabaseName(myDBname); });
    step([&] { list.data->RecordSource(list.recordSource()); });
    step([&] { list.data->Refresh(); });
    step([&] { lastSortCol = col; });
    step([&] { sortdir = lastSortDir; });
    step([&] { redrawList(list); });
}

void Quillstack1::reselectRow() {
    ListState* list = listOf(displaywhich);
    if (!list) return;
    attempt([&] {
        controls::FlexGrid& grid = *list->grid;
        std::shared_ptr<db::Recordset> rs = list->data->Recordset();
        if (grid.Rows() <= 1 || !rs) return;
        rs->FindFirst(reselectCriterion(list->index, selectedName));
        // No such row any more (deleted or filtered out): the selection stays where the redraw put it.
        if (rs->NoMatch()) return;
        const int row = int(rs->AbsolutePosition()) + 1;
        grid.Row(row);
        grid.RowSel(row);
        grid.Col(0);
        grid.ColSel(list->look().lastCol);
        grid.Refresh();
    });
    attempt([&] { list->grid->Visible(true); });
}

// --- Drawing ---

void Quillstack1::redrawGrid() { redrawList(lists_[listJobs]); }
void Quillstack1::redrawGrid3() { redrawList(lists_[listFavorites]); }
void Quillstack1::redrawGrid4() { redrawList(lists_[listPhone]); }

void Quillstack1::requery(ListState& list) {
    attempt([&] { list.data->Refresh(); });
    redrawList(list);
}

void Quillstack1::redrawList(ListState& list) {
    controls::FlexGrid& g = *list.grid;
    attempt([&] { g.Redraw(false); });
    attempt([&] {
        if (g.Rows() > 1) g.TopRow(restoredTopRow(topRow, g.Rows()));
    });
    attempt([&] {
        if (g.TopRow() > 0) {
            attempt([&] { g.Row(g.TopRow()); });
            attempt([&] { g.RowSel(g.TopRow()); });
        }
    });
    attempt([&] { g.Col(0); });
    attempt([&] { g.ColSel(list.look().lastCol); });
    attempt([&] { g.Redraw(true); });

    // The range follows the grid just drawn; the changes it makes to the value move no grid.
    redrawing_ = true;
    attempt([&] { dt1.Max(scrollMax(g.Rows())); });
    attempt([&] { dt1.Min(1); });
    attempt([&] { dt1.SmallChange(1); });
    attempt([&] { dt1.LargeChange(1); });
    attempt([&] { dt1.Value(g.TopRow()); });
    redrawing_ = false;

    setColumns(list);
}

// Column widths from the window's width, then the plain header captions.
void Quillstack1::setColumns(ListState& list) {
    controls::FlexGrid& g = *list.grid;
    const ListLook& look = list.look();
    const double w = Width();
    for (size_t c = 0; c < look.widths.size(); ++c)
        attempt([&] { g.ColWidth(int(c), columnWidth(w, look.widths[c])); });
    for (size_t c = 0; c < look.captions.size(); ++c) attempt([&] { g.TextMatrix(0, int(c), look.captions[c]); });
}

void Quillstack1::dt1_Scroll() { dt1_Change(); }

void Quillstack1::dt1_Change() {
    if (switchingView || redrawing_) return;
    controls::FlexGrid* g = gridOf(displaywhich);
    if (!g) return;
    attempt([&] {
        // The range may belong to another list's grid: the value is held to this grid's rows.
        if (g->Rows() >= 3) g->TopRow(std::clamp(dt1.Value(), 1, g->Rows() - 1));
    });
}

void Quillstack1::setTooltipColours() {
    if (!listOf(displaywhich) || !gridTips) return;
    attempt([&] {
        gridTips->BackColor(int32_t(kTipColours[size_t(displaywhich)].back));
        gridTips->ForeColor(int32_t(kTipColours[size_t(displaywhich)].fore));
    });
}

// --- List switch ---

void Quillstack1::Image12_MouseUp(int, int, int, float, float) {
    Image12.showNormal();
    switchList(lists_[listJobs]);
}

void Quillstack1::Image13_MouseUp(int, int, int, float, float) {
    Image13.showNormal();
    switchList(lists_[listFavorites]);
}

void Quillstack1::Image14_MouseUp(int, int, int, float, float) {
    Image14.showNormal();
    switchList(lists_[listPhone]);
}

void Quillstack1::switchList(ListState& shown) {
    for (ListState& list : lists_)
        if (&list != &shown) attempt([&] { list.keptTopRow = list.grid->TopRow(); });
    displaywhich = shown.index;
    Text1.Text(shown.searchText);
    setTooltipColours();
    showListView(shown);
    topRow = shown.keptTopRow;
    switchingView = true;
    redrawList(shown);
    selectedName = shown.keptName;
    reselectRow();
    switchingView = false;
}

}  // namespace qs::app
