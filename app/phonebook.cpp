#include "app/phonebook.h"

#include <windows.h>

#include <exception>

#include "app/lists.h"
#include "platform/db/db.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"

namespace qs::app {

namespace {

constexpr char kImportFailed[] = "You must place Town Staff.mdb in app folder and press Ctrl-F12 to import phonebook";
constexpr char kTempFailed[] = "Table Temp could not be added to the database: ";

// A source value as the Phone table stores it: upper case, Null kept as Null.
db::Value upperOf(const db::Value& v) {
    if (db::isNull(v)) return v;
    return rt::UCase(db::textOf(v));
}

}  // namespace

bool importPhoneBook(const std::string& dbPath, const std::string& phoneBookPath) {
    try {
        auto db = db::Engine::OpenDatabase(dbPath);
        auto phone = db->OpenRecordset("Phone", db::dbOpenDynaset);
        auto book = db::Engine::OpenDatabase(phoneBookPath);
        auto source = book->OpenRecordset("Town Staff", db::dbOpenDynaset);
        // Fails on an empty phone book, which counts as a failed import.
        source->MoveLast();
        source->MoveFirst();
        // One commit for all the names; a failing row ends the loop, and the rows before it are committed
        // before the message shows, so no write lock is held while it waits for the user.
        std::exception_ptr failure;
        {
            db::Transaction batch(*db);
            try {
                for (; !source->EOF_(); source->MoveNext()) {
                    const db::Value name = source->get("Field1");
                    // A Null name is looked up as empty text, so it never matches and is added again.
                    phone->FindFirst("PName = " + quoted(db::textOf(name)));
                    if (!phone->NoMatch()) continue;
                    phone->AddNew();
                    phone->set("PName", upperOf(name));
                    phone->set("PInfo", upperOf(source->get("Field2")));
                    phone->Update();
                    phone->Bookmark(phone->LastModified());
                }
            } catch (const std::exception&) {
                failure = std::current_exception();
            }
            batch.commit();
        }
        if (failure) std::rethrow_exception(failure);
        phone->Close();
        source->Close();
        db->Close();
        book->Close();
        return true;
    } catch (const std::exception&) {
        rt::services().msgBox(kImportFailed, MB_OK, "");
        return false;
    }
}

void createTempTable(const std::string& path) {
    try {
        auto db = db::Engine::OpenDatabase(path);
        auto def = db->CreateTableDef("Temp");
        def->appendField(def->CreateField("checksum1", db::dbLong));
        def->appendField(def->CreateField("checksum2", db::dbLong));
        // The table comes whole or not at all, so a failure here leaves the file as it was.
        db->appendTableDef(def);
        db->Close();
    } catch (const std::exception& e) {
        rt::services().msgBox(kTempFailed + std::string(e.what()), MB_OK, "");
    }
}

}  // namespace qs::app
