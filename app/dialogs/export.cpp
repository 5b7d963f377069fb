#include "app/dialogs/export.h"

#include <cmath>
#include <memory>
#include <vector>

#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"

namespace qs::app {
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

struct TableBlock {
    const char* table;
    const char* heading;
    std::vector<const char*> fields;  // in the order of the heading
};

const TableBlock kBlocks[] = {
    {"Jobs",
     "Job Name\tJob Location\tJob Date\tJob Full Name\tPermanent Record",
     {"JobName", "JobLocation", "JobDate", "JobFullName", "JobPermanent"}},
    {"Favorites", "Name\tURL\tKeywords", {"FavName", "FavURL", "FavKeywords"}},
    {"Phone", "Name\tInfo", {"PName", "PInfo"}},
};

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

ExportFile::~ExportFile() {
    if (!isOpen()) return;
    try {
        flush();
    } catch (const std::exception&) {
        // The failure has been reported by the write that met it; what is on disk stays.
    }
}

void ExportFile::open(const std::string& path) {
    const std::wstring wide = rt::widen(path);
    // Windows refuses to replace a hidden or system file unless it is created with the same attributes.
    const DWORD existing = GetFileAttributesW(wide.c_str());
    const DWORD kept =
        existing == INVALID_FILE_ATTRIBUTES ? 0 : existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    file_.reset(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) throw rt::errorFromWin32(GetLastError());
    buffer_.reserve(kBufferBytes);
}

void ExportFile::write(std::string_view utf8) {
    if (isAscii(utf8))
        buffer_.append(utf8);
    else
        buffer_.append(rt::toAnsi(utf8));
    if (buffer_.size() >= kBufferBytes) flush();
}

void ExportFile::endLine() {
    write("\r\n");
    if (afterLine) afterLine();
}

void ExportFile::flush() {
    if (buffer_.empty() || !isOpen()) return;
    DWORD written = 0;
    const BOOL ok = WriteFile(file_.get(), buffer_.data(), DWORD(buffer_.size()), &written, nullptr);
    const DWORD err = GetLastError();
    buffer_.erase(0, written);
    if (!ok || !buffer_.empty()) {
        buffer_.clear();
        throw rt::errorFromWin32(ok ? ERROR_DISK_FULL : err);
    }
}

void ExportFile::close() {
    if (!isOpen()) return;
    // Closed whether or not the last write succeeds.
    struct CloseAfter {
        win::UniqueFile& file;
        ~CloseAfter() { file.reset(); }
    } closeAfter{file_};
    flush();
}

std::string exportText(const db::Value& value) {
    if (db::isNull(value)) return "Null";
    return db::textOf(value);
}

const std::string& DateTexts::day(long days) {
    auto it = days_.find(days);
    if (it == days_.end()) it = days_.emplace(days, rt::dateTimeText(double(days))).first;
    return it->second;
}

const std::string& DateTexts::time(long seconds) {
    auto it = times_.find(seconds);
    if (it == times_.end()) it = times_.emplace(seconds, rt::dateTimeText(seconds / 86400.0)).first;
    return it->second;
}

const std::string& DateTexts::text(double date) {
    // The whole days, and the time of day counted forward from midnight (also before 1899).
    const double whole = std::trunc(date);
    const double seconds = std::fabs(date - whole) * 86400.0;
    const double rounded = std::round(seconds);
    if (!std::isfinite(date) || std::fabs(whole) > 3e6 || std::fabs(seconds - rounded) > 1e-4 || rounded >= 86400)
        return joined_ = rt::dateTimeText(date);
    const long days = long(whole), secs = long(rounded);
    // The system leaves out the date of a time alone, and the time of a midnight.
    if (days == 0) return time(secs);
    if (secs == 0) return day(days);
    joined_ = day(days);
    joined_ += ' ';
    joined_ += time(secs);
    return joined_;
}

void writeExport(ExportFile& out, db::Database& database, const std::string& databasePath) {
    // One transaction for the reading: a consistent picture, and one lock taken instead of one per page
    // of rows. It only reads, so it needs no write lock: it starts while another program holds that lock,
    // and on a file it may only read; another program can begin writing meanwhile, and commits when the
    // export has read.
    db::Transaction reading(database, db::Transaction::Lock::read);
    DateTexts dates;
    out.write("Contents of ");
    out.write(databasePath);
    out.endLine();
    out.write("Tab Delimited");
    out.endLine();
    for (const TableBlock& block : kBlocks) {
        out.endLine();
        out.write(block.table);
        out.endLine();
        out.endLine();
        out.write(block.heading);
        out.endLine();

        std::shared_ptr<db::Recordset> rs = database.OpenRecordset(block.table, db::dbOpenDynaset);
        std::vector<int> columns;
        for (const char* field : block.fields) {
            const int index = rs->fieldIndex(field);
            if (index < 0) throw db::DbError(db::errItemNotFound, "Item not found in this collection.");
            columns.push_back(index);
        }
        if (rs->RecordCount() > 0) {
            rs->MoveLast();
            rs->MoveFirst();
            while (!rs->EOF_()) {
                for (std::size_t i = 0; i < columns.size(); ++i) {
                    if (i > 0) out.write("\t");
                    const db::Value value = rs->get(columns[i]);
                    if (auto d = std::get_if<db::Date>(&value))
                        out.write(dates.text(d->oa));
                    else
                        out.write(exportText(value));
                }
                out.endLine();
                rs->MoveNext();
            }
        }
        rs->Close();
    }
    reading.commit();
}

}  // namespace qs::app
