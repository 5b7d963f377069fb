#pragma once
// Shared by the engine's tests: the helpers every test area uses, and a Jobs row added through a
// recordset the test is looking at.
#include <string>

#include "platform/db/db.h"
#include "tests/support/errorof.h"
#include "tests/support/files.h"
#include "tests/support/testdb.h"

namespace qs::db::test {

using namespace qs::test;

inline void addJob(Recordset& rs, const std::string& name, double date, bool permanent = false) {
    rs.AddNew();
    rs.set("JobName", name);
    rs.set("JobDate", Date{date});
    rs.set("JobLocation", std::string("C:\\DOCS\\"));
    rs.set("JobFullName", "C:\\DOCS\\" + name);
    rs.set("JobPermanent", permanent);
    rs.Update();
}

}  // namespace qs::db::test
