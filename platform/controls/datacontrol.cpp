#include "platform/controls/datacontrol.h"

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
}

void DataControl::DatabaseName(const std::string& path) { databaseName_ = path; }

void DataControl::RecordSource(const std::string& sqlOrTable) { recordSource_ = sqlOrTable; }

void DataControl::Refresh() {
    if (!database_ || !database_->isOpen() || openedPath_ != databaseName_) {
        auto opened = db::Engine::OpenDatabase(databaseName_);
        database_ = std::move(opened);
        openedPath_ = databaseName_;
        recordset_.reset();
    }
    auto rs = database_->OpenRecordset(recordSource_, db::dbOpenDynaset);
    auto source = std::make_shared<RecordsetSource>(rs);
    recordset_ = std::move(rs);
    if (grid_) grid_->reload(std::move(source));
}

void DataControl::bind(FlexGrid& grid) {
    if (grid_ == &grid) return;
    unbind();
    if (grid.binder_) grid.binder_->unbind();
    grid_ = &grid;
    grid.binder_ = this;
    if (recordset_) reloadGrid();
}

void DataControl::unbind() {
    if (!grid_) return;
    grid_->binder_ = nullptr;
    grid_ = nullptr;
}

void DataControl::reloadGrid() {
    if (grid_ && recordset_) grid_->reload(std::make_shared<RecordsetSource>(recordset_));
}

}  // namespace qs::controls
