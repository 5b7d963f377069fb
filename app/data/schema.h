#pragma once
// Making database files: the empty file (two ways) and the four tables of the program.

#include <string>

namespace qs::app {

// Creates Jobs, Favorites, Phone and Shortcuts, with their fields in order, in the existing database
// `myfilename`, which must hold none of them. Engine errors go to the caller (db::DbError); a file
// that already has a table Jobs fails on the first table, before anything is created.
void CreateTableDefX(const std::string& myfilename);

// Makes `myfilename` an empty database: a file of that path (as a directory listing finds it) is
// deleted first. Errors go to the caller: rt::Error when the file cannot be deleted, db::DbError when
// the database cannot be made.
void CreateDatabaseX(const std::string& myfilename);

// Makes an empty database file at `path` through the catalog. False when anything failed, for
// example when a file exists there already (it is left as it was).
bool createEmptyDatabase(const std::string& path);

}  // namespace qs::app
