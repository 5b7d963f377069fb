#pragma once
// Two database commands of the main window's keys, kept apart from the window: the phone-book import
// (Ctrl+F12) and the extra table Temp (F11). Both report their failures themselves, with one message.
#include <string>

namespace qs::app {

// The phone book's file name, looked for in the program's folder.
inline constexpr const char* kPhoneBookFile = "Town Staff.mdb";

// Adds every name of the phone book `phoneBookPath` (table "Town Staff": Field1 the name, Field2 the
// info) that table Phone of `dbPath` lacks in any letter case, upper-cased; existing entries are left
// as they are. Any failure (a file or table missing, the database unavailable, an empty phone book)
// ends the import with one message; the names added before it stay. True when the import ran to its
// end and the Phone list should be refreshed.
bool importPhoneBook(const std::string& dbPath, const std::string& phoneBookPath);

// Adds table Temp (checksum1, checksum2: 32-bit integers) to the database at `path`. When it cannot
// (Temp is there already, or the file cannot be opened or changed) one message says so and the
// database stays as it was.
void createTempTable(const std::string& path);

}  // namespace qs::app
