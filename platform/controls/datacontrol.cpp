#include "platform/controls/datacontrol.h"

#include "platform/controls/flexgrid.h"
#include "platform/db/db.h"

namespace qs::controls {

namespace {

// The grid reads the rows it shows straight from the recordset; the count and the field names are
// taken once, when the query has run. A column that is read row after row (the main window reads
// every row's permanent flag on each redraw) is fetched whole, in one pass, on its first few hundred
// reads: page by page it would cost a query per 64 rows. Like the grid's own copy of the rows, what
// is fetched stays as it was until the next reload.
class RecordsetSource : public GridSource {
public:
    explicit RecordsetSource(std::shared_ptr<db::Recordset> rs)
        : rs_(std::move(rs)), count_(rs_->RecordCount()), fields_(rs_->fieldCount()) {
        names_.reserve(size_t(fields_));
        for (int i = 0; i < fields_; ++i) names_.push_back(rs_->fieldName(i));
        columns_.resize(size_t(fields_));
    }
    long recordCount() override { return count_; }
    int fieldCount() override { return fields_; }
    std::string fieldName(int field) override { return names_.at(size_t(field)); }
    std::string text(long record, int field) override {
        if (field < 0 || field >= fields_) return db::textOf(rs_->at(record, field));
        Column& column = columns_[size_t(field)];
        if (column.values.empty() && count_ >= kWholeColumnRows && ++column.reads > kWholeColumnReads)
            column.values = rs_->column(field);
        if (record >= 0 && size_t(record) < column.values.size()) return db::textOf(column.values[size_t(record)]);
        return db::textOf(rs_->at(record, field));
    }

private:
    static constexpr long kWholeColumnRows = 1024;
    static constexpr long kWholeColumnReads = 256;
    struct Column {
        long reads = 0;
        std::vector<db::Value> values;
    };
    std::shared_ptr<db::Recordset> rs_;
    long count_;
    int fields_;
    std::vector<std::string> names_;
    std::vector<Column> columns_;
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
