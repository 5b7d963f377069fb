#pragma once
// The export of the database in use to a text file: tables Jobs, Favorites and Phone, one line per row,
// fields separated by tabs, in the ANSI code page with CR LF line ends.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/db/db.h"
#include "platform/win/handles.h"

namespace qs::app {

// A text file written through a buffer in the ANSI code page. open creates the file or empties it;
// what was written stays in it when the object goes, also after a failure.
class ExportFile {
public:
    ExportFile() = default;
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    void open(const std::string& path);  // rt::Error when the file cannot be created
    void write(std::string_view utf8);   // rt::Error when the disk refuses
    void endLine();
    void close();  // writes what is buffered; rt::Error as write
    bool isOpen() const { return bool(file_); }

    // Called after each line ends (tests look at the database while the export runs).
    std::function<void()> afterLine;

private:
    void flush();

    win::UniqueFile file_;
    std::string buffer_;  // ANSI bytes not yet written
};

// How the export writes a field value: text as stored, Null as "Null", Booleans as "True"/"False",
// dates in the system's short date and time formats (no time at midnight, no date for a time alone).
std::string exportText(const db::Value& value);

// Date texts as exportText writes them, made once per day and once per time of day: a table's dates
// share their days, and a day has at most 86,400 whole seconds. A date with a fraction of a second is
// made whole each time.
class DateTexts {
public:
    const std::string& text(double date);

private:
    const std::string& day(long days);
    const std::string& time(long seconds);

    std::unordered_map<long, std::string> days_;
    std::unordered_map<long, std::string> times_;
    std::string joined_;
};

// Every line of the export of `database`, whose file is `databasePath`, read in one transaction: one
// consistent picture of the three tables. Engine errors pass on; the lines written before one stay.
void writeExport(ExportFile& out, db::Database& database, const std::string& databasePath);

}  // namespace qs::app
