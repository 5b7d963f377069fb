#include "platform/runtime/convert.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/settings.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace qs::rt;

namespace {

const char app[] = "Quillstack";
const char section[] = "RuntimeTest";

class Settings : public ::testing::Test {
protected:
    void SetUp() override { DeleteSetting(app, section); }
    void TearDown() override { DeleteSetting(app, section); }

    static DWORD storedType(const wchar_t* name) {
        DWORD type = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillstack\\RuntimeTest", name, RRF_RT_ANY | RRF_NOEXPAND,
                         &type, nullptr, nullptr) != ERROR_SUCCESS)
            return REG_NONE;
        return type;
    }
};

}  // namespace

TEST_F(Settings, RoundTripsTextExactly) {
    EXPECT_EQ(GetSetting(app, section, "sortdir", " ASC"), " ASC");  // missing: the default
    SaveSetting(app, section, "sortdir", " DESC");
    EXPECT_EQ(GetSetting(app, section, "sortdir", " ASC"), " DESC");  // the leading blank stays
    EXPECT_EQ(storedType(L"sortdir"), DWORD(REG_SZ));

    SaveSetting(app, section, "tempdir", "");
    EXPECT_EQ(GetSetting(app, section, "tempdir", "default"), "");  // stored empty is not missing
    EXPECT_EQ(storedType(L"tempdir"), DWORD(REG_SZ));

    SaveSetting(app, section, "myDBname", "C:\\Übung\\日本\\quillstack.mdb");
    EXPECT_EQ(GetSetting(app, section, "MYDBNAME"), "C:\\Übung\\日本\\quillstack.mdb");  // keys ignore case

    SaveSetting(app, section, "sortdir", " ASC");
    EXPECT_EQ(GetSetting(app, section, "sortdir"), " ASC");

    std::string longText(5000, 'x');
    SaveSetting(app, section, "long", longText);
    EXPECT_EQ(GetSetting(app, section, "long"), longText);
}

TEST_F(Settings, ValuesConvertBackToTheirVariables) {
    SaveSetting(app, section, "openexplorer", BoolText(false));
    SaveSetting(app, section, "timelimit", Str(int(int16_t(-32768))));
    SaveSetting(app, section, "myleft", Str(7155.5f));
    SaveSetting(app, section, "mytop", Str(-14400.0f));  // off the screen stays off the screen
    EXPECT_FALSE(CBool(GetSetting(app, section, "openexplorer", BoolText(true))));
    EXPECT_EQ(CInt(GetSetting(app, section, "timelimit", "90")), -32768);
    EXPECT_EQ(CSng(GetSetting(app, section, "myleft")), 7155.5f);
    EXPECT_EQ(GetSetting(app, section, "myleft"), "7155.5");
    EXPECT_EQ(CSng(GetSetting(app, section, "mytop")), -14400.0f);
}

TEST_F(Settings, ValuesThatAreNoTextGiveTheDefault) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillstack\\RuntimeTest", 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    DWORD number = 5;
    RegSetValueExW(k, L"sortby", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    // A string without its terminating NUL, as a careless editor may leave it.
    const wchar_t raw[] = {L'4', L'2'};
    RegSetValueExW(k, L"raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(raw), sizeof raw);
    RegCloseKey(k);
    EXPECT_EQ(GetSetting(app, section, "sortby", "0"), "0");
    EXPECT_EQ(GetSetting(app, section, "raw", "0"), "42");
}

TEST_F(Settings, DeleteKeySectionAndNothing) {
    SaveSetting(app, section, "a", "1");
    SaveSetting(app, section, "b", "2");
    DeleteSetting(app, section, "a");
    EXPECT_EQ(GetSetting(app, section, "a", "gone"), "gone");
    EXPECT_EQ(GetSetting(app, section, "b", "gone"), "2");
    DeleteSetting(app, section, "a");  // not there: no error
    DeleteSetting(app, section);
    EXPECT_EQ(GetSetting(app, section, "b", "gone"), "gone");
    DeleteSetting(app, section);

    EXPECT_THROW(SaveSetting(app, section, "", "x"), Error);
}
