// The main window's commands: what its picture buttons do, and the row commands the buttons, the grids
// and the keys share (delete, the permanent mark, keywords, phone entries, opening a job or a link).
//
// A command that writes goes to the list's own recordset, so a row is the record shown in it (row r is
// the record at position r - 1), never "the first record with that name". A write the database refuses
// ends with one message and the list queried again, and nothing of it is left half done. No transaction
// is open while an entry box or a message box waits for the user: the folder watch and the receiver
// write Jobs meanwhile.

#include <algorithm>
#include <exception>
#include <utility>

#include "app/data/shellutil.h"
#include "app/declares.h"
#include "app/dialogs/form2.h"
#include "app/dialogs/form5.h"
#include "app/dialogs/info.h"
#include "app/entry/keywords.h"
#include "app/entry/phoneentry.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/phonebook.h"
#include "app/quillstack1.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/db/db.h"
#include "platform/runtime/app.h"
#include "platform/runtime/services.h"

namespace qs::app {

namespace {

constexpr char kDeleteFailed[] = "The selected rows could not be deleted; none of them was.";
constexpr char kToggleFailed[] = "The job's permanent mark could not be changed.";
constexpr char kKeywordsFailed[] = "The keywords could not be stored; the favourite keeps its old ones.";
constexpr char kPhoneEditFailed[] = "The phone entry could not be stored; it keeps its old values.";
constexpr char kPhoneAddFailed[] = "The phone entry could not be added.";

// A path list handed in while the message is up sets topRow from the Jobs grid; the failing list keeps its own.
void reportFailure(const char* what, const std::exception& e) {
    const int32_t kept = topRow;
    rt::services().msgBox(std::string(what) + "\n\n" + e.what(), MB_OK | MB_ICONEXCLAMATION, "");
    topRow = kept;
}

// The list's recordset, which the grid shows; a list whose query never ran has none.
std::shared_ptr<db::Recordset> recordsetOf(const ListState& list) {
    std::shared_ptr<db::Recordset> rs = list.data->Recordset();
    if (!rs) throw db::DbError(db::errObjectClosed, "The list is not connected to a database.");
    return rs;
}

// The text of a field, a Null as the empty text.
std::string fieldText(const db::Recordset& rs, const char* field) { return db::textOf(rs.get(field)); }

// What failed half way leaves no pending Edit or AddNew behind.
void cancelPending(const std::shared_ptr<db::Recordset>& rs) {
    if (rs) attempt([&] { rs->CancelUpdate(); });
}

auto phoneFields(const std::string& name, const std::string& info) {
    return [&name, &info](db::Recordset& r) {
        r.set("PName", name);
        r.set("PInfo", info);
    };
}

// One record written: `begin` positions the recordset and starts its Edit or AddNew, `fields` sets the
// values; the record written becomes current. A refusal at any step cancels it and says why.
template <class Begin, class Fields>
void writeRecord(const ListState& list, const char* failure, Begin begin, Fields fields) {
    std::shared_ptr<db::Recordset> rs;
    try {
        rs = recordsetOf(list);
        begin(*rs);
        fields(*rs);
        rs->Update();
        rs->Bookmark(rs->LastModified());
    } catch (const std::exception& e) {
        cancelPending(rs);
        reportFailure(failure, e);
    }
}

}  // namespace

// --- Buttons ---

// Every button shows its pressed face from mouse-down to release; on release it shows its normal face
// again and acts (the handlers below say when a button differs).
void Quillstack1::wireButtons() {
    forms::PictureButton* all[] = {&Image1, &Image2,  &Image3,  &Image4,  &Image5,  &Image6,  &Image7,  &Image8,
                                   &Image9, &Image10, &Image11, &Image12, &Image13, &Image14, &Image15, &Image16};
    for (forms::PictureButton* b : all) {
        b->onMouseDown = [b](int, int, int, float, float) { b->showPressed(); };
        b->onMouseUp = [b](int, int, int, float, float) { b->showNormal(); };
    }
    using Handler = void (Quillstack1::*)(int, int, int, float, float);
    const std::pair<forms::PictureButton*, Handler> handlers[] = {
        {&Image1, &Quillstack1::Image1_MouseUp},   {&Image2, &Quillstack1::Image2_MouseUp},
        {&Image3, &Quillstack1::Image3_MouseUp},   {&Image4, &Quillstack1::Image4_MouseUp},
        {&Image5, &Quillstack1::Image5_MouseUp},   {&Image6, &Quillstack1::Image6_MouseUp},
        {&Image7, &Quillstack1::Image7_MouseUp},   {&Image8, &Quillstack1::Image8_MouseUp},
        {&Image9, &Quillstack1::Image9_MouseUp},   {&Image10, &Quillstack1::Image10_MouseUp},
        {&Image11, &Quillstack1::Image11_MouseUp}, {&Image12, &Quillstack1::Image12_MouseUp},
        {&Image13, &Quillstack1::Image13_MouseUp}, {&Image14, &Quillstack1::Image14_MouseUp},
        {&Image15, &Quillstack1::Image15_MouseUp}, {&Image16, &Quillstack1::Image16_MouseUp},
    };
    for (const auto& [button, handler] : handlers) {
        button->onMouseUp = [this, handler](int index, int b, int shift, float x, float y) {
            (this->*handler)(index, b, shift, x, y);
        };
    }
}

// Open File: the selected job's document, whatever openexplorer says.
void Quillstack1::Image1_MouseUp(int, int, int, float, float) {
    Image1.showNormal();
    currentRow = MSgrid1->Row();
    if (currentRow > 0) openJob(currentRow, false);
}

// Open Explorer: the selected job's file selected in its folder, whatever openexplorer says.
void Quillstack1::Image2_MouseUp(int, int, int, float, float) {
    Image2.showNormal();
    currentRow = MSgrid1->Row();
    if (currentRow > 0) openJob(currentRow, true);
}

void Quillstack1::Image3_MouseUp(int, int, int, float, float) {
    Image3.showNormal();
    hideToTray();
}

void Quillstack1::Image4_MouseUp(int, int, int, float, float) {
    Image4.showNormal();
    showForm5(hWnd());
}

// Options shows pressed for as long as it is open.
void Quillstack1::Image5_MouseUp(int, int, int, float, float) {
    showOptions(this);
    Image5.showNormal();
}

void Quillstack1::Image6_MouseUp(int, int, int, float, float) {
    Image6.showNormal();
    hideToTray();
}

// The stay-on-top pair shares one place: the pressed button hides itself and shows the other one.
void Quillstack1::Image8_MouseUp(int, int, int, float, float) { setStayOnTop(true); }
void Quillstack1::Image7_MouseUp(int, int, int, float, float) { setStayOnTop(false); }

// Edit Record: the selected phone entry.
void Quillstack1::Image9_MouseUp(int, int, int, float, float) {
    Image9.showNormal();
    editPhoneRow();
}

void Quillstack1::Image10_MouseUp(int, int, int, float, float) {
    Image10.showNormal();
    showForm2(hWnd());
}

// Open Web Page: the selected favourite's link.
void Quillstack1::Image11_MouseUp(int, int, int, float, float) {
    Image11.showNormal();
    currentRow = MSgrid2->Row();
    if (currentRow > 0) openFavorite(currentRow);
}

void Quillstack1::Image15_MouseUp(int, int, int, float, float) {
    Image15.showNormal();
    newPhoneEntry();
}

void Quillstack1::Image16_MouseUp(int, int, int, float, float) {
    Image16.showNormal();
    showInfo(this);
}

void Quillstack1::hideToTray() {
    addTrayIcon();
    Hide();
}

void Quillstack1::setStayOnTop(bool on) {
    forms::PictureButton& pressed = on ? Image8 : Image7;
    forms::PictureButton& other = on ? Image7 : Image8;
    pressed.Visible(false);
    stayOnTop = on;
    setTopmost(on);
    other.showNormal();
}

// --- Opening ---

void Quillstack1::openJob(int row, bool inExplorer) {
    attempt([&] {
        targetPath = MSgrid1->TextMatrix(row, 3);
        if (inExplorer)
            rt::services().shell(explorerCommand(targetPath), SW_SHOWNORMAL);
        else
            shellOpen(targetPath);
    });
}

void Quillstack1::openFavorite(int row) {
    attempt([&] {
        targetPath = MSgrid2->TextMatrix(row, 1);
        shellOpen(targetPath);
    });
}

// --- Writing commands ---

void Quillstack1::deleteRows(ListState& list) {
    controls::FlexGrid& g = *list.grid;
    attempt([&] { topRow = g.TopRow(); });
    // A selection dragged upwards has RowSel above Row; it deletes its rows all the same.
    const int first = std::min(g.Row(), g.RowSel()), last = std::max(g.Row(), g.RowSel());
    if (first <= 0) return;
    std::exception_ptr failure;
    try {
        std::shared_ptr<db::Recordset> rs = recordsetOf(list);
        // All rows or none, in one commit however many there are.
        db::Transaction batch(*list.data->Database());
        // From the bottom up, so the rows still to go keep their positions.
        for (int r = last; r >= first; --r) {
            rs->AbsolutePosition(r - 1);
            try {
                rs->Delete();
            } catch (const db::DbError& e) {
                if (e.number != db::errRecordDeleted) throw;  // gone already: as good as deleted
            }
        }
        batch.commit();
    } catch (const std::exception&) {
        failure = std::current_exception();  // the transaction has rolled back by now
    }
    // The list is read again before any message: behind it the user sees the rows as they are, the ones a
    // failed delete left included.
    requery(list);
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& e) {
            reportFailure(kDeleteFailed, e);
        }
    }
    // The row that took the first deleted row's place is selected, or the new last row.
    if (g.Rows() < 2) return;
    attempt([&] { g.TopRow(std::min(topRow, g.Rows() - 1)); });
    const int r0 = std::min(first, g.Rows() - 1);
    attempt([&] {
        g.Row(r0);
        g.RowSel(r0);
        g.Col(0);
        g.ColSel(list.look().lastCol);
    });
}

void Quillstack1::togglePermanent(int row) {
    attempt([&] { topRow = MSgrid1->TopRow(); });
    std::shared_ptr<db::Recordset> rs;
    try {
        rs = recordsetOf(lists_[listJobs]);
        rs->AbsolutePosition(row - 1);
        rs->Edit();
        const db::Value mark = rs->get("JobPermanent");
        // A Null mark stays Null.
        if (const bool* permanent = std::get_if<bool>(&mark)) rs->set("JobPermanent", !*permanent);
        rs->Update();
    } catch (const std::exception& e) {
        cancelPending(rs);
        reportFailure(kToggleFailed, e);
    }
    attempt([&] { Data1->Refresh(); });
    attempt([&] { MSgrid1->Redraw(false); });
    redrawGrid();
}

void Quillstack1::editFavoriteKeywords(int row) {
    attempt([&] { topRow = MSgrid2->TopRow(); });
    const int32_t keptTop = topRow;
    // The record is read before the box and written after it: nothing is held open while the user types.
    std::shared_ptr<db::Recordset> rs;
    std::string keywords;
    db::RowKey record = 0;
    try {
        rs = recordsetOf(lists_[listFavorites]);
        rs->AbsolutePosition(row - 1);
        keywords = fieldText(*rs, "FavKeywords");
        record = rs->Bookmark();
    } catch (const std::exception& e) {
        reportFailure(kKeywordsFailed, e);
        requery(lists_[listFavorites]);
        return;
    }
    // Closed other than by Enter: the keywords stay as they are.
    if (!app::editKeywords(hWnd(), keywords)) return;
    writeRecord(
        lists_[listFavorites], kKeywordsFailed,
        [&](db::Recordset& r) {
            r.Bookmark(record);
            r.Edit();
        },
        [&](db::Recordset& r) { r.set("FavKeywords", keywords); });
    topRow = keptTop;  // a list received while the box was open took it for the Jobs grid
    requery(lists_[listFavorites]);
}

// The Phone grid's current row, not the row under the mouse.
void Quillstack1::editPhoneRow() {
    controls::FlexGrid& g = *MSgrid3;
    if (g.Row() <= 0) return;
    attempt([&] { topRow = g.TopRow(); });
    const int32_t keptTop = topRow;
    currentRow = g.Row();
    std::shared_ptr<db::Recordset> rs;
    std::string name, info;
    db::RowKey record = 0;
    try {
        rs = recordsetOf(lists_[listPhone]);
        rs->AbsolutePosition(currentRow - 1);
        name = fieldText(*rs, "PName");
        info = fieldText(*rs, "PInfo");
        record = rs->Bookmark();
    } catch (const std::exception& e) {
        reportFailure(kPhoneEditFailed, e);
        requery(lists_[listPhone]);
        return;
    }
    // Cancel, or an empty name or info: nothing is written and nothing redrawn.
    if (!editPhoneEntry(hWnd(), name, info)) return;
    writeRecord(
        lists_[listPhone], kPhoneEditFailed,
        [&](db::Recordset& r) {
            r.Bookmark(record);
            r.Edit();
        },
        phoneFields(name, info));
    topRow = keptTop;  // as for the keywords
    requery(lists_[listPhone]);
}

// The list is redrawn at the TopRow topRow holds from the last command, not at its own.
void Quillstack1::newPhoneEntry() {
    std::string name, info;
    if (!editPhoneEntry(hWnd(), name, info)) return;
    writeRecord(
        lists_[listPhone], kPhoneAddFailed, [](db::Recordset& r) { r.AddNew(); }, phoneFields(name, info));
    requery(lists_[listPhone]);
}

void Quillstack1::importPhoneBookKey() {
    if (!importPhoneBook(myDBname, rt::AppPath() + "\\" + kPhoneBookFile)) return;
    requery(lists_[listPhone]);
}

// --- Moving in a list ---

// Into the list from the keyboard: the focus, the top row selected, the list redrawn.
void Quillstack1::enterList(ListState& list) {
    controls::FlexGrid& g = *list.grid;
    attempt([&] { topRow = g.TopRow(); });
    attempt([&] { g.SetFocus(); });
    attempt([&] {
        if (g.TopRow() >= 2) {
            g.Row(g.TopRow());
            g.RowSel(g.TopRow());
        }
    });
    attempt([&] { g.Col(0); });
    attempt([&] { g.ColSel(list.look().lastCol); });
    redrawList(list);
}

void Quillstack1::selectAllRows(ListState& list) {
    controls::FlexGrid& g = *list.grid;
    if (g.Rows() < 2) return;
    attempt([&] {
        g.Col(0);
        g.Row(1);
        g.RowSel(g.Rows() - 1);
        g.ColSel(list.look().lastCol);
    });
}

}  // namespace qs::app
