#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/com/registrar.h"
#include "tests/support/registry.h"

using qs::com::Replacement;
using qs::com::runRegistryScript;

namespace {

const wchar_t kBase[] = L"Software\\QsComRegistrarTest";
const HRESULT kBadScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

const qs::test::RegistryRoot hkcu(HKEY_CURRENT_USER);

std::wstring base(const std::wstring& rest = L"") { return rest.empty() ? kBase : std::wstring(kBase) + L"\\" + rest; }

const wchar_t kScript[] =
    LR"(
HKCU
{
    NoRemove Software
    {
        ForceRemove QsComRegistrarTest = s 'root'
        {
            Plain = s 'it''s %MODULE%'
            {
                val Named = s 'v'
            }
            'Quoted Name' = s '100%%'
            {80CE454E-C736-11D3-9DE3-40000A4A1541} = s 'braced'
            NoValue
            Delete Gone
        }
    }
}
)";
// A value that looks like script text must stay a value.
const Replacement kModule[] = {{L"module", L"C:\\a'b {c} = s 'd'"}};

class RegistrarTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kBase); }
};

TEST_F(RegistrarTest, RegisterWritesKeysAndValues) {
    hkcu.create(base(L"Foreign\\Deep"));  // ForceRemove: gone before the key is written
    hkcu.create(base(L"Gone\\Deep"));
    ASSERT_EQ(runRegistryScript(kScript, kModule, true), S_OK);
    EXPECT_EQ(hkcu.value(base()), L"root");
    EXPECT_EQ(hkcu.value(base(L"Plain")), L"it's C:\\a'b {c} = s 'd'");
    EXPECT_EQ(hkcu.value(base(L"Plain"), L"Named"), L"v");
    EXPECT_EQ(hkcu.value(base(L"Quoted Name")), L"100%");
    EXPECT_EQ(hkcu.value(base(L"{80CE454E-C736-11D3-9DE3-40000A4A1541}")), L"braced");
    EXPECT_TRUE(hkcu.exists(base(L"NoValue")));
    EXPECT_EQ(hkcu.value(base(L"NoValue")), L"<none>");
    EXPECT_FALSE(hkcu.exists(base(L"Foreign")));
    EXPECT_FALSE(hkcu.exists(base(L"Gone")));

    ASSERT_EQ(runRegistryScript(kScript, kModule, true), S_OK);  // again: the same keys
    EXPECT_EQ(hkcu.value(base(L"Plain"), L"Named"), L"v");
}

TEST_F(RegistrarTest, UnregisterRemovesAllButNoRemoveKeys) {
    ASSERT_EQ(runRegistryScript(kScript, kModule, true), S_OK);
    ASSERT_EQ(runRegistryScript(kScript, kModule, false), S_OK);
    EXPECT_FALSE(hkcu.exists(base()));
    EXPECT_TRUE(hkcu.exists(L"Software"));
    EXPECT_EQ(runRegistryScript(kScript, kModule, false), S_OK);  // already gone

    // A NoRemove key stays, but what the script put into it goes.
    hkcu.create(base(L"Other"));
    const wchar_t keep[] =
        L"HKCU { NoRemove Software { NoRemove QsComRegistrarTest { Child = s 'x' val V = s 'y' } } }";
    ASSERT_EQ(runRegistryScript(keep, {}, true), S_OK);
    EXPECT_EQ(hkcu.value(base(), L"V"), L"y");
    ASSERT_EQ(runRegistryScript(keep, {}, false), S_OK);
    EXPECT_TRUE(hkcu.exists(base()));
    EXPECT_TRUE(hkcu.exists(base(L"Other")));
    EXPECT_FALSE(hkcu.exists(base(L"Child")));
    EXPECT_EQ(hkcu.value(base(), L"V"), L"<none>");
}

TEST_F(RegistrarTest, MalformedScriptsChangeNothing) {
    const wchar_t* bad[] = {
        L"HKCU { Software { QsComRegistrarTest = s 'open } }",       // unterminated quote
        L"HKCU { NoRemove Software { QsComRegistrarTest = s 'x' }",  // missing brace
        L"HKXX { QsComRegistrarTest }",                              // unknown root
        L"HKCU { NoRemove Software { QsComRegistrarTest = s '%NOPE%' } }",
        L"HKCU { NoRemove Software { QsComRegistrarTest = d '1' } }",  // only string values
        L"HKCU { NoRemove Software { QsComRegistrarTest = } }",
        L"HKCU { NoRemove Software { = s 'x' } }",
        L"HKCU { NoRemove Software { val } }",
    };
    for (const wchar_t* script : bad) {
        std::wstring text = std::wstring(L"HKCU { NoRemove Software { QsComRegistrarTest } }\n") + script;
        EXPECT_EQ(runRegistryScript(text, kModule, true), kBadScript) << script;
        EXPECT_FALSE(hkcu.exists(base())) << script;
    }
}

// Keys nested deeper than the registry goes (found by fuzzing: 16,000 levels overflowed the stack) make a
// malformed script; as deep as it goes is fine.
TEST_F(RegistrarTest, ScriptsNestedPastTheRegistrysDepthAreMalformed) {
    auto nested = [](int levels) {
        std::wstring text = L"HKCU { NoRemove Software { QsComRegistrarTest {\n";
        for (int i = 0; i < levels; ++i) text += L"k {\n";
        return text + std::wstring(size_t(levels) + 3, L'}');
    };
    EXPECT_EQ(runRegistryScript(nested(100000), {}, true), kBadScript);
    EXPECT_EQ(runRegistryScript(nested(qs::com::kMaxKeyDepth - 3), {}, false), S_OK);
    EXPECT_EQ(runRegistryScript(nested(qs::com::kMaxKeyDepth - 2), {}, false), kBadScript);
    EXPECT_FALSE(hkcu.exists(base()));
}

TEST_F(RegistrarTest, MissingResource) {
    EXPECT_TRUE(FAILED(qs::com::runRegistryResource(GetModuleHandleW(nullptr), 4242, {}, true)));
}

}  // namespace
