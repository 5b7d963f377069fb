#pragma once
// DataControl: binds a query on a database file to a grid. Setting DatabaseName and RecordSource reads
// nothing; Refresh opens the file when needed, runs the query as a dynaset and reloads the bound grid,
// which then reads the rows it shows from that recordset. The grid is a list grid (FlexGrid) or an
// editable one (DataGrid), whose current record is the recordset's.
//
// Errors of the engine (file missing, not a database, bad query) pass on unchanged as qs::db::DbError;
// after a failed Refresh the grid keeps what it showed before, unless the database it showed was closed:
// then the control lets it go and the grid shows no rows.
#include <memory>
#include <string>

namespace qs::db {
class Database;
class Recordset;
}  // namespace qs::db

namespace qs::controls {

class DataGrid;
class FlexGrid;

class DataControl {
public:
    DataControl();
    virtual ~DataControl();
    DataControl(const DataControl&) = delete;
    DataControl& operator=(const DataControl&) = delete;

    const std::string& DatabaseName() const { return databaseName_; }
    void DatabaseName(const std::string& path);
    const std::string& RecordSource() const { return recordSource_; }
    void RecordSource(const std::string& sqlOrTable);

    void Refresh();

    // The recordset of the last Refresh (nullptr before the first); shared with the bound grid.
    std::shared_ptr<db::Recordset> Recordset() const { return recordset_; }
    // The open database (nullptr before the first Refresh). Database()->Close() closes the file; the
    // next Refresh opens it again.
    std::shared_ptr<db::Database> Database() const { return database_; }

    // One grid per data control; binding another grid unbinds the first. The grid takes the current
    // recordset at once when there is one.
    void bind(FlexGrid& grid);
    void bind(DataGrid& grid);
    void unbind();
    FlexGrid* boundGrid() const { return grid_; }

    // With a DataGrid bound. UpdateRecord stores the row being edited in it now, as leaving the row
    // would; false when the engine refused it (the grid has said why). UpdateControls drops what is being
    // typed and brings the grid's cursor to the recordset's current record, with the records as they are
    // now: after the program moved through, added to or deleted from Recordset().
    bool UpdateRecord();
    void UpdateControls();

    // The text the visible data control (DataBar) shows between its arrows.
    const std::string& Caption() const { return caption_; }
    void Caption(const std::string& text);

protected:
    // The caption changed (the bar repaints).
    virtual void captionChanged() {}

private:
    friend class FlexGrid;
    friend class DataGrid;
    void reloadGrid();

    std::string databaseName_;
    std::string recordSource_;
    std::string openedPath_;  // the path database_ was opened with
    std::shared_ptr<db::Database> database_;
    std::shared_ptr<db::Recordset> recordset_;
    FlexGrid* grid_ = nullptr;
    DataGrid* dataGrid_ = nullptr;
    std::string caption_;
};

}  // namespace qs::controls
