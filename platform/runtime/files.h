#pragma once
// File-system services of the runtime. Paths are UTF-8; the W APIs do the work.

#include <string>
#include <vector>

namespace qs::rt {

// File attribute bits as the runtime reports and takes them.
enum FileAttr : int {
    attrNormal = 0,
    attrReadOnly = 1,
    attrHidden = 2,
    attrSystem = 4,
    attrVolume = 8,  // accepted and ignored
    attrDirectory = 16,
    attrArchive = 32,
};

// Starts a listing of `pattern` (wildcards allowed; a pattern ending in "\" lists the whole folder) and
// returns the first name, without folder, or "" when nothing matches. Which entries are listed:
// normal files (also read-only or archive ones) always; hidden files only with attrHidden, system files
// only with attrSystem, folders only with attrDirectory in `attributes` (an entry that is both hidden and
// system needs both). "." and ".." are never returned. A pattern whose folder does not exist lists
// nothing; a drive that is not ready: Error 71.
std::string Dir(const std::string& pattern, int attributes = attrNormal);
// The next name of the listing started last, "" at its end. With no listing going on (none started, or
// the last one already ended): Error 5.
std::string Dir();

// All names that Dir(pattern, attributes) and the following Dir() calls would give, in the same order,
// through a listing of its own (a Dir listing going on is not disturbed).
std::vector<std::string> listDir(const std::string& pattern, int attributes = attrNormal);

// Last write time of a file or folder as a local date, whole seconds. Missing: Error 53.
double FileDateTime(const std::string& path);
// The attribute bits above of a file or folder. Missing: Error 53.
int GetAttr(const std::string& path);
// True when exactly this path names a normal file (as Dir with attributes 0 would list it: not a folder,
// not hidden, not system). Wildcards match nothing.
bool fileExists(const std::string& path);
// True when exactly this path names a file of any attributes, hidden and system ones included; a folder
// is no file. Wildcards match nothing. For a question before a file is replaced.
bool anyFileExists(const std::string& path);
// Deletes normal files; wildcards allowed in the name. Nothing to delete: Error 53; a file that may not
// be deleted: Error 75 (or 70 when it is in use).
void Kill(const std::string& path);

// Creates or empties the file and writes one record as the runtime's sequential output writes a text
// value: a double quote, the text, a double quote, CR LF; in the ANSI code page.
void writeQuotedRecord(const std::string& path, const std::string& text);

}  // namespace qs::rt
