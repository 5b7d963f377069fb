// The grids' event procedures. Each of the eighteen (MSgrid1_KeyDown ... MSgrid3_MouseMove) is one call
// into a handler written once over the list's record; what differs between the lists is said there.
//
// MouseRow is 0 on the header and -1 below the last row, where a click acts on nothing.
#include "app/globals.h"
#include "app/quillstack1.h"
#include "app/tooltip/tooltip.h"
#include "platform/controls/flexgrid.h"
#include "platform/forms/form.h"

namespace qs::app {

void Quillstack1::wireGrids() {
    using Q = Quillstack1;
    struct Events {
        void (Q::*keyDown)(int, int);
        void (Q::*mouseDown)(int, int, float, float);
        void (Q::*mouseUp)(int, int, float, float);
        void (Q::*mouseMove)(int, int, float, float);
        void (Q::*selChange)();
        void (Q::*dblClick)();
    };
    static const Events events[] = {
        {&Q::MSgrid1_KeyDown, &Q::MSgrid1_MouseDown, &Q::MSgrid1_MouseUp, &Q::MSgrid1_MouseMove, &Q::MSgrid1_SelChange,
         &Q::MSgrid1_DblClick},
        {&Q::MSgrid2_KeyDown, &Q::MSgrid2_MouseDown, &Q::MSgrid2_MouseUp, &Q::MSgrid2_MouseMove, &Q::MSgrid2_SelChange,
         &Q::MSgrid2_DblClick},
        {&Q::MSgrid3_KeyDown, &Q::MSgrid3_MouseDown, &Q::MSgrid3_MouseUp, &Q::MSgrid3_MouseMove, &Q::MSgrid3_SelChange,
         &Q::MSgrid3_DblClick},
    };
    for (ListState& list : lists_) {
        controls::FlexGrid& g = *list.grid;
        const Events& e = events[list.index];
        g.onKeyDown = [this, f = e.keyDown](int keyCode, int shift) { (this->*f)(keyCode, shift); };
        g.onMouseDown = [this, f = e.mouseDown](int b, int s, float x, float y) { (this->*f)(b, s, x, y); };
        g.onMouseUp = [this, f = e.mouseUp](int b, int s, float x, float y) { (this->*f)(b, s, x, y); };
        g.onMouseMove = [this, f = e.mouseMove](int b, int s, float x, float y) { (this->*f)(b, s, x, y); };
        g.onSelChange = [this, f = e.selChange] { (this->*f)(); };
        g.onDblClick = [this, f = e.dblClick] { (this->*f)(); };
    }
}

void Quillstack1::MSgrid1_KeyDown(int keyCode, int shift) { gridKeyDown(lists_[listJobs], keyCode, shift); }
void Quillstack1::MSgrid2_KeyDown(int keyCode, int shift) { gridKeyDown(lists_[listFavorites], keyCode, shift); }
void Quillstack1::MSgrid3_KeyDown(int keyCode, int shift) { gridKeyDown(lists_[listPhone], keyCode, shift); }
void Quillstack1::MSgrid1_MouseDown(int button, int, float, float) { gridMouseDown(lists_[listJobs], button); }
void Quillstack1::MSgrid2_MouseDown(int button, int, float, float) { gridMouseDown(lists_[listFavorites], button); }
void Quillstack1::MSgrid3_MouseDown(int button, int, float, float) { gridMouseDown(lists_[listPhone], button); }
void Quillstack1::MSgrid1_MouseUp(int, int, float, float) { gridMouseUp(); }
void Quillstack1::MSgrid2_MouseUp(int, int, float, float) { gridMouseUp(); }
void Quillstack1::MSgrid3_MouseUp(int, int, float, float) { gridMouseUp(); }
void Quillstack1::MSgrid1_SelChange() { gridSelChange(lists_[listJobs]); }
void Quillstack1::MSgrid2_SelChange() { gridSelChange(lists_[listFavorites]); }
void Quillstack1::MSgrid3_SelChange() { gridSelChange(lists_[listPhone]); }
void Quillstack1::MSgrid1_DblClick() { gridDblClick(lists_[listJobs]); }
void Quillstack1::MSgrid2_DblClick() { gridDblClick(lists_[listFavorites]); }
void Quillstack1::MSgrid3_DblClick() { gridDblClick(lists_[listPhone]); }
void Quillstack1::MSgrid1_MouseMove(int, int, float, float) { gridMouseMove(lists_[listJobs]); }
void Quillstack1::MSgrid2_MouseMove(int, int, float, float) { gridMouseMove(lists_[listFavorites]); }
void Quillstack1::MSgrid3_MouseMove(int, int, float, float) { gridMouseMove(lists_[listPhone]); }

// Delete and Down in every list; Ctrl+K (Ctrl alone) edits a favourite's keywords. The window's own key
// handler has run before for the same key.
void Quillstack1::gridKeyDown(ListState& list, int keyCode, int shift) {
    if (keyCode == VK_DELETE) {
        deleteRows(list);
    } else if (keyCode == VK_DOWN) {
        enterList(list);
    } else if (keyCode == 'K' && shift == forms::vbCtrlMask && list.index == listFavorites) {
        const int row = list.grid->Row();
        if (row > 0) editFavoriteKeywords(row);
    }
}

void Quillstack1::gridMouseDown(ListState& list, int button) {
    controls::FlexGrid& g = *list.grid;
    const int row = g.MouseRow();
    if (button == forms::vbLeftButton) {
        if (row == 0) {
            // The re-query and the reselect on the release record no selection.
            suppressSelChange = true;
            headerClicked = true;
            sortList(list, g.MouseCol());
        } else if (row > 0) {
            suppressSelChange = false;
            headerClicked = false;
            if (g.Rows() >= 2) {
                attempt([&] {
                    selectedName = g.TextMatrix(row, 0);
                    list.keptName = selectedName;
                });
            }
        }
    } else if (button == forms::vbRightButton && row > 0) {
        if (list.index == listJobs) {
            togglePermanent(row);
        } else if (list.index == listFavorites && g.Row() > 0) {
            attempt([&] { g.Row(row); });
            editFavoriteKeywords(row);
        }
    }
}

// Every release after a header click reselects, until a left press on a data row of any grid.
void Quillstack1::gridMouseUp() {
    suppressSelChange = true;
    if (headerClicked) reselectRow();
    suppressSelChange = false;
}

// Each list keeps the name and the top row of its last selection, for the list switch. The switch's
// own redraw moves the selection to the top row before it selects the kept name again: recording that
// would put the top row's name in place of the kept one.
void Quillstack1::gridSelChange(ListState& list) {
    if (suppressSelChange || switchingView) return;
    controls::FlexGrid& g = *list.grid;
    attempt([&] {
        selectedName = g.TextMatrix(g.Row(), 0);
        list.keptName = selectedName;
    });
    attempt([&] { list.keptTopRow = g.TopRow(); });
}

// A job opens as openexplorer says, a favourite its link; the Phone list edits its current row.
void Quillstack1::gridDblClick(ListState& list) {
    const int row = list.grid->MouseRow();
    if (list.index == listJobs) {
        if (row > 0) openJob(row, openexplorer);
    } else if (list.index == listFavorites) {
        if (row > 0) openFavorite(row);
    } else if (row >= 0) {
        editPhoneRow();
    }
}

// The tip shows the text of the cell under the pointer; nothing below the last row.
void Quillstack1::gridMouseMove(ListState& list) {
    controls::FlexGrid& g = *list.grid;
    std::string text;
    attempt([&] { text = g.TextMatrix(g.MouseRow(), g.MouseCol()); });
    if (text == lastTipText) return;
    if (gridTips) attempt([&] { gridTips->ToolText(g.hWnd(), text); });
    lastTipText = text;
}

}  // namespace qs::app
