#pragma once
// The walk of the favourites import over a folder tree, in two passes: the first counts the files, the
// second reads each file for its "URL=" line and adds a favourite for every name table Favorites does
// not hold yet. A failing folder entry or file is reported (unless its name ends in ".sys") and skipped;
// the walk goes on with the next one.
//
// Rows are written in batches, each one engine transaction: a synced commit per file would cost more
// than the import itself. A batch is committed after a few hundred files or a fraction of a second, and
// always before a message is shown, so no transaction is open while the message loop runs (the folder
// watch and the receiver write Jobs meanwhile). Each file's writes sit in a savepoint of their own:
// a file that fails leaves nothing behind and the others stay.
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/db.h"

namespace qs::app {

class FavouritesImport {
public:
    // One entry of a folder's listing.
    struct Entry {
        std::string name;
        uint32_t attributes;
        uint32_t reparseTag;  // with the reparse point attribute only; 0 where the listing does not give it
    };

    struct Hooks {
        std::function<void()> fileStep;                        // second pass: a file is about to be read
        std::function<void(const std::string& text)> message;  // a message box with an OK button
        // Lists the entries of `pattern`; listFolder when empty (tests stand in for the file system).
        std::function<std::vector<Entry>(const std::string& pattern)> list;
    };

    FavouritesImport(db::Database& database, db::Recordset& favourites, Hooks hooks);
    ~FavouritesImport();  // rolls back a batch that finish() did not commit
    FavouritesImport(const FavouritesImport&) = delete;
    FavouritesImport& operator=(const FavouritesImport&) = delete;

    // First pass: adds one to fileCount for every file of the tree. `path` gets a trailing backslash when
    // it has none; `pattern` names the files of each folder ("*.*" for all of them). Links to folders
    // (junctions, symbolic links, mount points) are not entered, so a link to a parent folder cannot
    // loop; other reparse points, such as the placeholders of cloud-synced folders, are walked.
    void countFolderFiles(std::string& path, const std::string& pattern, int32_t& fileCount);
    // Second pass over the same tree: one fileStep and one more in fileCount per file, then its import.
    void importFolderURLs(std::string& path, const std::string& pattern, int32_t& fileCount);
    // Commits the rows still pending.
    void finish();

    // The database refused work because another connection holds it locked: the walk has said so once
    // and stopped.
    bool stopped() const { return stopped_; }

    // Rows added so far (committed or pending).
    int32_t added() const { return added_; }

    // A message in the walk's form: "Error: " number " - " description " " subject.
    static std::string errorMessage(const std::exception& e, const std::string& subject);

    // The entries of `pattern` but "." and "..", every one, read whole before any is used. A folder that
    // cannot be listed lists nothing, as the runtime's Dir does; only a drive that is not ready is an error.
    static std::vector<Entry> listFolder(const std::string& pattern);

private:
    template <class PerFile>
    void walk(std::string& path, const std::string& pattern, PerFile perFile);
    std::vector<Entry> list(const std::string& pattern);
    void importFile(const std::string& folder, const std::string& name, int32_t& fileCount);
    void store(const std::string& name, const std::string& url);
    void failed(const std::string& subject, const std::exception& e);
    void say(const std::string& text);
    void commitBatch();

    db::Database& database_;
    db::Recordset& favourites_;
    Hooks hooks_;
    std::unique_ptr<db::Transaction> batch_;
    unsigned long long batchStart_ = 0;  // tick count when the batch began
    int batchRows_ = 0;
    int32_t added_ = 0;
    bool stopped_ = false;
};

}  // namespace qs::app
