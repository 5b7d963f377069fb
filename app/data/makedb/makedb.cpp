// makedb <path>: makes a new database file with the program's four tables.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "app/data/schema.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

int main() {
    int argc = 0;
    qs::win::UniqueLocal args(CommandLineToArgvW(GetCommandLineW(), &argc));
    LPWSTR* argv = static_cast<LPWSTR*>(args.get());
    if (!argv || argc != 2) {
        std::fprintf(stderr, "usage: makedb <path of the new database>\n");
        return 2;
    }
    std::string path = qs::rt::narrow(argv[1]);
    if (!qs::app::createEmptyDatabase(path)) {
        std::fprintf(stderr, "makedb: cannot create %s (does it exist already?)\n", path.c_str());
        return 1;
    }
    try {
        qs::app::CreateTableDefX(path);
    } catch (const qs::rt::Error& e) {
        std::fprintf(stderr, "makedb: %s (error %d)\n", e.description.c_str(), e.number);
        return 1;
    }
    return 0;
}
