#include "app/dialogs/form6.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <optional>

#include "app/data/shellutil.h"
#include "app/entry/phoneentry.h"
#include "app/globals.h"
#include "app/listquery.h"
#include "platform/db/db.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"

namespace qs::app {

namespace {

// Places in twips.
constexpr int kClientWidth = 11805, kClientHeight = 10770;
constexpr int kDataHeight = 330;                   // the data control's bar
constexpr int kBarWidth = 7200, kBarHeight = 600;  // Picture1
constexpr int kSearchLabelLeft = 2700, kSearchLeft = 3600;
constexpr int kJobDateWidth = 143;
constexpr int kColumnSlack = 32;
constexpr int kMinGridHeight = 2 * 240;  // the header and one row

constexpr COLORREF kFormColour = RGB(0xC0, 0xC0, 0xC0);
constexpr uint32_t kFavoritesText = rgb(0x00, 0xFF, 0x00);
constexpr uint32_t kPhoneText = rgb(0xFF, 0xE4, 0x36);
constexpr uint32_t kJobsText = rgb(0x75, 0xC6, 0xFF);

const char* tableName(int table) {
    switch (table) {
    case listJobs: return "Jobs";
    case listFavorites: return "Favorites";
    case listPhone: return "Phone";
    }
    return "";
}

// The field of each grid column; Jobs column 2 is the folder and sorts by it.
const std::vector<const char*>& columnFields(int table) {
    static const std::vector<const char*> jobs{"JobName", "JobDate", "JobLocation", "JobFullName", "JobPermanent"};
    static const std::vector<const char*> favorites{"FavName", "FavURL", "FavKeywords"};
    static const std::vector<const char*> phone{"PName", "PInfo"};
    static const std::vector<const char*> none;
    switch (table) {
    case listJobs: return jobs;
    case listFavorites: return favorites;
    case listPhone: return phone;
    }
    return none;
}

db::Value upper(const db::Value& v) {
    if (const std::string* s = std::get_if<std::string>(&v)) return rt::UCase(*s);
    return v;
}

// A field's text, nullopt when it is Null or empty.
std::optional<std::string> textField(db::Recordset& rs, const char* field) {
    db::Value v = rs.get(field);
    if (db::isNull(v)) return std::nullopt;
    std::string text = db::textOf(v);
    if (text.empty()) return std::nullopt;
    return text;
}

void tell(const std::exception& e) { rt::services().msgBox(e.what(), MB_OK | MB_ICONEXCLAMATION, ""); }

}  // namespace

Form6::Form6()
    : DBGrid1(*this, 0, 0, kClientWidth, kClientHeight - kDataHeight - kBarHeight),
      Data1(*this, 0, kClientHeight - kDataHeight - kBarHeight, kClientWidth, kDataHeight),
      Picture1(*this, 0, kClientHeight - kBarHeight, kBarWidth, kBarHeight),
      Picture2(*this, kBarWidth, kClientHeight - kBarHeight, kClientWidth - kBarWidth, kBarHeight),
      Image1(Picture1, 150, 128, 1200, 345, forms::Face{"Add"}),
      Image2(Picture1, 1470, 128, 1200, 345, forms::Face{"Delete"}),
      Text1(Picture1, kSearchLeft, 158, 3360, 285) {
    borderStyle = forms::BorderStyle::Sizable;
    Caption("Edit");
    setClientSize(kClientWidth, kClientHeight);
    BackColor(kFormColour);
    Data1.bind(DBGrid1);
    Picture1.BackColor(forms::skin::kGroundTop);
    Picture2.BackColor(forms::skin::kGroundTop);
    Picture1.onPaint = [](HDC hdc, const RECT& client) {
        RECT label{forms::toPixels(kSearchLabelLeft), client.top, forms::toPixels(kSearchLeft) - 6, client.bottom};
        forms::skin::drawText(hdc, label, "Search:", forms::skin::kText, forms::skin::captionFont(),
                              DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    DBGrid1.onHeadClick = [this](int col) { DBGrid1_HeadClick(int16_t(col)); };
    DBGrid1.onDblClick = [this] { DBGrid1_DblClick(); };
    DBGrid1.onAfterInsert = [this] { DBGrid1_AfterInsert(); };
    DBGrid1.onAfterUpdate = [this] { DBGrid1_AfterUpdate(); };
    Image1.onMouseDown = [this](int i, int b, int s, float x, float y) { Image1_MouseDown(i, b, s, x, y); };
    Image1.onMouseUp = [this](int i, int b, int s, float x, float y) { Image1_MouseUp(i, b, s, x, y); };
    Image2.onMouseDown = [this](int i, int b, int s, float x, float y) { Image2_MouseDown(i, b, s, x, y); };
    Image2.onMouseUp = [this](int i, int b, int s, float x, float y) { Image2_MouseUp(i, b, s, x, y); };
    Text1.onChange = [this] { Text1_Change(); };
}

int Form6::editorTable() const {
    if (editorSQL == sqlFavorites) return listFavorites;
    if (editorSQL == sqlPhone) return listPhone;
    if (editorSQL == sqlJobs) return listJobs;
    return -1;
}

// --- Window ---

void Form6::Form_Load() {
    Data1.DatabaseName(myDBname);
    Data1.RecordSource(editorSQL + ";");
    for (size_t i = 0; i <= 5; ++i) sortAsc[i] = false;
    sortAsc[0] = true;
    baseSQL = editorSQL;
    whereSQL.clear();
    orderSQL.clear();
    Data1.Caption(tableName(editorTable()));
    // A database that cannot be opened leaves the grid empty and every command idle.
    try {
        Data1.Refresh();
    } catch (const std::exception& e) {
        tell(e);
    }
}

void Form6::Form_Activate() { formatGrid(); }
void Form6::Form_Resize() { formatGrid(); }

// The smallest the user can make the window: the bottom bar's width, and the grid's header and one row
// above the data bar and the bottom bar.
bool Form6::onMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg != WM_GETMINMAXINFO) return false;
    RECT r{0, 0, forms::toPixels(Picture1.Width()),
           forms::toPixels(kMinGridHeight + Data1.Height() + Picture1.Height())};
    AdjustWindowRectEx(&r, DWORD(GetWindowLongW(hWnd(), GWL_STYLE)), FALSE, DWORD(GetWindowLongW(hWnd(), GWL_EXSTYLE)));
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, r.right - r.left);
    info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, r.bottom - r.top);
    result = 0;
    return true;
}

// What is typed and not stored yet goes in before the window does.
void Form6::Form_Unload(int&) { Data1.UpdateRecord(); }

void Form6::formatGrid() {
    const int table = editorTable();
    if (table < 0) return;
    // A minimised window has no client area; the minimum tracking size keeps every other size in bounds.
    if (IsIconic(hWnd())) return;
    const int innerWidth = ScaleWidth(), innerHeight = ScaleHeight();
    // Never below nothing, should a screen be smaller than the minimum tracking size.
    const int gridHeight = std::max(0, innerHeight - Data1.Height() - Picture1.Height());

    DBGrid1.Move(0, 0, innerWidth, gridHeight);
    DBGrid1.ForeColor(table == listFavorites ? kFavoritesText : table == listPhone ? kPhoneText : kJobsText);
    DBGrid1.BackColor(0);
    // The columns fill what the vertical scroll bar leaves of the grid.
    const double w = DBGrid1.Width() - DBGrid1.ScrollBarWidth();
    std::vector<double> widths;
    if (table == listFavorites)
        widths = {(w - kColumnSlack) * 0.45, (w - kColumnSlack) * 0.45, (w - kColumnSlack) * 0.09};
    else if (table == listPhone)
        widths = {(w - kColumnSlack) * 0.5, (w - kColumnSlack) * 0.5};
    else
        widths = {(w - kJobDateWidth - kColumnSlack) * 0.5, double(kJobDateWidth),
                  (w - kJobDateWidth - kColumnSlack) * 0.5, 0, 0};
    for (size_t i = 0; i < widths.size() && int(i) < DBGrid1.ColumnCount(); ++i)
        DBGrid1.Columns(int(i)).Width(int(std::lround(widths[i])));

    Data1.Move(0, DBGrid1.Height(), DBGrid1.Width(), Data1.Height());
    Picture1.Move(0, innerHeight - Picture1.Height(), Picture1.Width(), Picture1.Height());
    Picture2.Move(Picture1.Width(), innerHeight - Picture2.Height(), innerWidth - Picture1.Width(), Picture2.Height());
}

bool Form6::requery(const std::string& sql) {
    const std::string previous = Data1.RecordSource();
    Data1.RecordSource(sql);
    try {
        Data1.Refresh();
        return true;
    } catch (const std::exception&) {
        Data1.RecordSource(previous);
        return false;
    }
}

// --- Sort and search ---

void Form6::DBGrid1_HeadClick(int16_t colIndex) {
    const int table = editorTable();
    const auto& fields = columnFields(table);
    if (table < 0 || !Data1.Recordset() || colIndex < 0 || size_t(colIndex) >= fields.size()) return;
    const bool ascending = !sortAsc[size_t(colIndex)];
    // Ascending is the engine's default order: the clause ends without " ASC".
    const std::string order =
        std::string(" ORDER BY ") + tableName(table) + "." + fields[size_t(colIndex)] + (ascending ? ";" : " DESC;");
    const std::string sql = baseSQL + whereSQL + order;
    if (!requery(sql)) {
        rt::services().msgBox("The table could not be sorted: the database cannot be read.", MB_OK | MB_ICONEXCLAMATION,
                              "");
        return;
    }
    sortAsc[size_t(colIndex)] = ascending;
    orderSQL = order;
    fullSQL = sql;
    formatGrid();
}

// A text that makes no valid pattern (an unclosed "[") keeps the rows of the last one that did.
void Form6::Text1_Change() {
    const int table = editorTable();
    if (table < 0 || !Data1.Recordset()) return;
    // An emptied box still filters with "**", leaving out the rows whose searched field is Null.
    const std::string where = searchClause(table, Text1.Text());
    const std::string sql = baseSQL + where + orderSQL;
    if (!requery(sql)) return;
    whereSQL = where;
    fullSQL = sql;
    formatGrid();
}

// --- Rows ---

void Form6::DBGrid1_DblClick() {
    const int table = editorTable();
    std::shared_ptr<db::Recordset> rs = Data1.Recordset();
    if (table < 0 || !rs) return;
    try {
        if (rs->AbsolutePosition() < 0) return;
        if (table == listJobs) {
            std::optional<std::string> path = textField(*rs, "JobFullName");
            if (!path) return;
            if (openexplorer)
                rt::services().shell(explorerCommand(*path), SW_SHOWNORMAL);
            else
                shellOpen(*path);
        } else if (table == listFavorites) {
            if (std::optional<std::string> url = textField(*rs, "FavURL")) shellOpen(*url);
        } else {
            std::optional<std::string> name = textField(*rs, "PName");
            if (!name) return;
            std::string info = textField(*rs, "PInfo").value_or("");
            if (!editPhoneEntry(hWnd(), *name, info)) return;
            try {
                rs->Edit();
                rs->set("PName", *name);
                rs->set("PInfo", info);
                rs->Update();
                rs->Bookmark(rs->LastModified());
            } catch (const std::exception& e) {
                rs->CancelUpdate();
                tell(e);  // a name or info longer than a field takes: the entry stays as it was
                return;
            }
            requery(Data1.RecordSource());
            formatGrid();
        }
    } catch (const std::exception&) {
        // The row went meanwhile (deleted elsewhere), or Explorer could not be started: nothing to open.
    }
}

void Form6::DBGrid1_AfterInsert() { normaliseStored(true); }
void Form6::DBGrid1_AfterUpdate() { normaliseStored(false); }

void Form6::normaliseStored(bool fromGrid) {
    struct Column {
        const char* field;
        int col;
    };
    static const std::vector<Column> jobs{{"JobName", 0}, {"JobLocation", 2}, {"JobFullName", 3}};
    static const std::vector<Column> favorites{{"FavName", 0}, {"FavKeywords", 2}};
    static const std::vector<Column> phone{{"PName", 0}, {"PInfo", 1}};
    const int table = editorTable();
    std::shared_ptr<db::Recordset> rs = Data1.Recordset();
    if (table < 0 || !rs) return;
    const std::vector<Column>& columns = table == listJobs ? jobs : table == listFavorites ? favorites : phone;
    try {
        rs->Bookmark(rs->LastModified());
        rs->Edit();
        for (const Column& c : columns) {
            db::Value v = fromGrid && c.col < DBGrid1.ColumnCount() ? DBGrid1.Columns(c.col).Value() : rs->get(c.field);
            rs->set(c.field, upper(v));
        }
        if (table == listJobs && db::isNull(rs->get("JobDate")))
            rs->set("JobDate", db::Date{std::floor(rt::services().now())});
        rs->Update();
    } catch (const std::exception& e) {
        rs->CancelUpdate();
        tell(e);
    }
}

// --- Buttons ---

void Form6::Image1_MouseDown(int, int, int, float, float) { Image1.showPressed(); }
void Form6::Image2_MouseDown(int, int, int, float, float) { Image2.showPressed(); }

// Add: the cursor to the new-row line, below the last record (at once when there is none).
void Form6::Image1_MouseUp(int, int, int, float, float) {
    Image1.showNormal();
    std::shared_ptr<db::Recordset> rs = Data1.Recordset();
    if (!rs) return;
    // A value the row refused (its message shown) keeps the cursor on the row being put right.
    if (!Data1.UpdateRecord()) return;
    try {
        if (rs->RecordCount() > 0) rs->MoveLast();
    } catch (const std::exception&) {
    }
    Data1.UpdateControls();
    DBGrid1.SetFocus();
    rt::services().sendKeys("{DOWN}", false);
}

// Delete: the current record goes at once, without a question; nothing without one (an empty table,
// the cursor on the new-row line).
void Form6::Image2_MouseUp(int, int, int, float, float) {
    Image2.showNormal();
    std::shared_ptr<db::Recordset> rs = Data1.Recordset();
    if (!rs) return;
    Data1.UpdateControls();  // what was typed in the row goes with it
    try {
        if (rs->AbsolutePosition() < 0) return;
        rs->Delete();
        rs->MoveNext();
        if (rs->isEOF() && rs->RecordCount() > 0) rs->MoveLast();
    } catch (const std::exception& e) {
        tell(e);
    }
    Data1.UpdateControls();
}

void showForm6(HWND owner) {
    Form6 editor;
    editor.ShowModal(forms::Form::fromHwnd(owner));
}

}  // namespace qs::app
