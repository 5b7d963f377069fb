#pragma once
// The file work behind the Options window's database buttons, apart from any window so that tests and
// benchmarks call it directly. Paths are UTF-8. Failures throw (rt::Error, db::DbError) with a text fit
// for a message box, and leave every file that existed before as it was, with no temporary file behind.
#include <string>

namespace qs::app {

// True when both paths open as one and the same file (volume serial number and file index), however
// they are spelled: letter case, 8.3 short names, "/" for "\". Where either names no file that can be
// opened, the two compare by their full long forms.
bool sameFile(const std::string& a, const std::string& b);

// The folder part of a path: the text before its last "\" or "/", or "" when it has none.
std::string folderOf(const std::string& path);

// Deletes a file if it is there; a temporary file that could not be made needs no message.
void removeFile(const std::string& path);

// A path in the folder of `beside` at which no file exists now, for a file that is built there and
// then takes `beside`'s place.
std::string tempPathBeside(const std::string& beside);

// Puts the complete file `from` in the place of `to` in one step and flushes it to the disk first.
// With `replace` false an existing `to` makes it fail. Across volumes `from` is first copied beside
// `to`. On failure `to` is as it was; `from` is left to the caller.
void replaceFile(const std::string& from, const std::string& to, bool replace);

// Copies the rows of Jobs, Favorites and Phone of the database `source` into a new database with the
// program's four tables, built beside `target` and put in its place only when complete (an existing
// `target` only when `replaceExisting`). One transaction per table. Favourites with empty or Null
// keywords get " ".
void copyDatabase(const std::string& source, const std::string& target, bool replaceExisting);

// The path a compaction of a database in `folder` works under: the folder, "\", the time `now` (an OLE
// date) as day, month, four-digit year, hour, minute and second, two digits each but the year, ".mdb".
std::string compactTempPath(const std::string& folder, double now);

// Compacts the database at `path` into `tempPath` (beside it; a file left there before is deleted
// first), checks that the result opens, then puts it in `path`'s place.
void compactInPlace(const std::string& path, const std::string& tempPath);

}  // namespace qs::app
