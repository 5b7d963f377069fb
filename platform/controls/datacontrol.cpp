#include "platform/controls/datacontrol.h"

#include "platform/controls/datagrid.h"
#include "platform/controls/flexgrid.h"
#include "platform/db/db.h"

namespace qs::controls {

namespace {

// The grid reads the rows it shows straight from the recordset, which keeps pages of rows; the count
// and the field names are taken once, when the query has run.
class RecordsetSource : public GridSource {
public:
    explicit RecordsetSource(std::shared_ptr<db::Recordset> rs)
        : rs_(std::move(rs)), count_(rs_->RecordCount()), fields_(rs_->fieldCount()) {
        names_.reserve(size_t(fields_));
        for (int i = 0; i < fields_; ++i) names_.push_back(rs_->fieldName(i));
    }
    long recordCount() override { return count_; }
    int fieldCount() override { return fields_; }
    std::string fieldName(int field) override { return names_.at(size_t(field)); }
    std::string text(long record, int field) override { return db::textOf(rs_->at(record, field)); }

private:
    std::shared_ptr<db::Recordset> rs_;
    long count_;
    int fields_;
    std::vector<std::string> names_;
};

}  // namespace

DataControl::DataControl() = default;

DataControl::~DataControl() {
    if (grid_) grid_->binder_ = nullptr;
    if (dataGrid_) dataGrid_->binder_ = nullptr;
}

void DataControl::DatabaseName(const std::string& path) { databaseName_ = path; }

void DataControl::RecordSource(const std::string& sqlOrTable) { recordSource_ = sqlOrTable; }

void DataControl::Refresh() {
    // Nothing changes until the new rows are there: a file that opens but lacks the query's table leaves
    // the database, the recordset and the grids as they were, all three on the same file. Rows of a
    // database closed meanwhile cannot be read any more, though: those go, and the grids show none.
    std::shared_ptr<db::Database> database = database_;
    std::shared_ptr<db::Recordset> rs;
    try {
        if (!database || !database->isOpen() || openedPath_ != databaseName_)
            database = db::Engine::OpenDatabase(databaseName_);
        rs = database->OpenRecordset(recordSource_, db::dbOpenDynaset);
    } catch (...) {
        if (database_ && !database_->isOpen()) {
            database_.reset();
            recordset_.reset();
            openedPath_.clear();
            if (grid_) grid_->reload(nullptr);
            if (dataGrid_) dataGrid_->reload(nullptr);
        }
        throw;
    }
    auto source = std::make_shared<RecordsetSource>(rs);
    database_ = std::move(database);
    openedPath_ = databaseName_;
    recordset_ = std::move(rs);
    if (grid_) grid_->reload(std::move(source));
    if (dataGrid_) dataGrid_->reload(recordset_);
}

void DataControl::bind(FlexGrid& grid) {
    if (grid_ == &grid) return;
    unbind();
    if (grid.binder_) grid.binder_->unbind();
    grid_ = &grid;
    grid.binder_ = this;
    if (recordset_) reloadGrid();
}

void DataControl::bind(DataGrid& grid) {
    if (dataGrid_ == &grid) return;
    unbind();
    if (grid.binder_) grid.binder_->unbind();
    dataGrid_ = &grid;
    grid.binder_ = this;
    if (recordset_) grid.reload(recordset_);
}

void DataControl::unbind() {
    if (grid_) grid_->binder_ = nullptr;
    if (dataGrid_) dataGrid_->binder_ = nullptr;
    grid_ = nullptr;
    dataGrid_ = nullptr;
}

void DataControl::reloadGrid() {
    if (grid_ && recordset_) grid_->reload(std::make_shared<RecordsetSource>(recordset_));
}

bool DataControl::UpdateRecord() { return dataGrid_ ? dataGrid_->storeRow() : true; }

void DataControl::UpdateControls() {
    if (dataGrid_) dataGrid_->followRecordset();
}

void DataControl::Caption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    captionChanged();
}

}  // namespace qs::controls
