#include "app/data/schema.h"

#include "platform/db/db.h"
#include "platform/runtime/files.h"

namespace qs::app {
namespace {

struct FieldShape {
    const char* name;
    int type;
};

struct TableShape {
    const char* name;
    std::initializer_list<FieldShape> fields;
};

const TableShape kTables[] = {
    {"Jobs",
     {{"JobName", db::dbText},
      {"JobDate", db::dbDate},
      {"JobLocation", db::dbText},
      {"JobFullName", db::dbText},
      {"JobPermanent", db::dbBoolean}}},
    {"Favorites", {{"FavName", db::dbText}, {"FavURL", db::dbText}, {"FavKeywords", db::dbText}}},
    {"Phone", {{"PName", db::dbText}, {"PInfo", db::dbText}}},
    {"Shortcuts", {{"scName", db::dbText}, {"scDate", db::dbDate}, {"scFound", db::dbBoolean}}},
};

}  // namespace

void CreateTableDefX(const std::string& myfilename) {
    std::shared_ptr<db::Database> database = db::Engine::OpenDatabase(myfilename);
    for (const TableShape& table : kTables) {
        std::shared_ptr<db::TableDef> def = database->CreateTableDef(table.name);
        for (const FieldShape& field : table.fields) def->appendField(def->CreateField(field.name, field.type));
        database->appendTableDef(def);
    }
    database->Close();
}

void CreateDatabaseX(const std::string& myfilename) {
    if (rt::fileExists(myfilename)) rt::Kill(myfilename);
    db::Engine::CreateDatabase(myfilename, ";LANGID=0x0409;CP=1252;COUNTRY=0")->Close();
}

bool createEmptyDatabase(const std::string& path) {
    try {
        db::Catalog::Create("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace qs::app
