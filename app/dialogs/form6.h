#pragma once
// The table editor: a resizable window captioned "Edit" showing the whole table that `editorSQL` names
// (Jobs, Favorites or Phone) in an editable grid on its own data control. The user sorts by a header,
// filters as he types, edits cells, adds rows on the new-row line, deletes the current row and
// double-clicks a row to open the job or favourite or to edit the phone entry. The main window's lists
// are not re-queried when it closes.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/controls/databar.h"
#include "platform/controls/datagrid.h"
#include "platform/forms/form.h"

namespace qs::app {

class Form6 : public forms::Form {
public:
    Form6();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_Unload(int& cancel) override;
    void formatGrid();
    void DBGrid1_HeadClick(int16_t colIndex);
    void DBGrid1_DblClick();
    void DBGrid1_AfterInsert();
    void DBGrid1_AfterUpdate();
    void Image1_MouseDown(int index, int button, int shift, float x, float y);
    void Image1_MouseUp(int index, int button, int shift, float x, float y);
    void Image2_MouseDown(int index, int button, int shift, float x, float y);
    void Image2_MouseUp(int index, int button, int shift, float x, float y);
    void Text1_Change();

    // The table `editorSQL` names (listJobs, listFavorites, listPhone), -1 for none of them.
    int editorTable() const;

    controls::DataGrid DBGrid1;
    controls::DataBar Data1;
    forms::PictureBox Picture1;   // the bottom bar: Add, Delete and the search box
    forms::PictureBox Picture2;   // filler right of it
    forms::PictureButton Image1;  // Add
    forms::PictureButton Image2;  // Delete
    forms::TextBox Text1;         // search

    std::string baseSQL, whereSQL, orderSQL, fullSQL;

protected:
    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Runs the query `sql` on Data1; a query the engine refuses leaves the rows as they were. False then.
    bool requery(const std::string& sql);
    // The last record stored, normalised: its names, paths, keywords and phone texts upper-cased, taken
    // from the grid's columns or from the record itself, and a dateless job dated today.
    void normaliseStored(bool fromGrid);
};

// Shows the table editor modal with `owner` as its owner on the table `editorSQL` names; returns when it
// has closed.
void showForm6(HWND owner);

}  // namespace qs::app
