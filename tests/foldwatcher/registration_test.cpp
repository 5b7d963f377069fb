// Self-registration, the type library, the resources, late binding and a client that creates the
// class by its identifier after regsvr32. These tests register and unregister the library in the
// test prefix (LOCKS foldwatcher) and leave it registered.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <set>

#include "platform/win/handles.h"
#include "tests/foldwatcher/fw_test_util.h"
#include "tests/support/files.h"
#include "tests/support/pump.h"
#include "tests/support/registry.h"

using namespace fwtest;
using namespace qs::test;

namespace {

const wchar_t kClassKey[] = L"CLSID\\{80CE454E-C736-11D3-9DE3-40000A4A1541}";

const RegistryRoot hkcr(HKEY_CLASSES_ROOT);

bool typeLibRegistered() {
    ITypeLib* lib = nullptr;
    if (FAILED(LoadRegTypeLib(LIBID_FOLDWATCHER, 1, 0, 0, &lib))) return false;
    lib->Release();
    return true;
}

void expectRegistered(const std::wstring& dll) {
    const std::wstring clsid = L"{80CE454E-C736-11D3-9DE3-40000A4A1541}";
    EXPECT_EQ(hkcr.value(L"Foldwatcher.Watch.1"), L"Watch Class");
    EXPECT_EQ(hkcr.value(L"Foldwatcher.Watch.1\\CLSID"), clsid);
    EXPECT_EQ(hkcr.value(L"Foldwatcher.Watch"), L"Watch Class");
    EXPECT_EQ(hkcr.value(L"Foldwatcher.Watch\\CLSID"), clsid);
    EXPECT_EQ(hkcr.value(L"Foldwatcher.Watch\\CurVer"), L"Foldwatcher.Watch.1");
    std::wstring cls = kClassKey;
    EXPECT_EQ(hkcr.value(cls), L"Watch Class");
    EXPECT_EQ(hkcr.value(cls + L"\\ProgID"), L"Foldwatcher.Watch.1");
    EXPECT_EQ(hkcr.value(cls + L"\\VersionIndependentProgID"), L"Foldwatcher.Watch");
    EXPECT_TRUE(hkcr.exists(cls + L"\\Programmable"));
    EXPECT_EQ(hkcr.value(cls + L"\\Programmable"), L"<none>");
    EXPECT_EQ(lstrcmpiW(hkcr.value(cls + L"\\InprocServer32").c_str(), dll.c_str()), 0);
    EXPECT_EQ(hkcr.value(cls + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(hkcr.value(cls + L"\\TypeLib"), L"{80CE4541-C736-11D3-9DE3-40000A4A1541}");
    EXPECT_EQ(hkcr.subkeys(cls), (std::set<std::wstring>{L"InprocServer32", L"ProgID", L"Programmable", L"TypeLib",
                                                         L"VersionIndependentProgID"}));
    EXPECT_TRUE(typeLibRegistered());
    EXPECT_TRUE(hkcr.exists(L"Interface\\{80CE454D-C736-11D3-9DE3-40000A4A1541}"));
    EXPECT_TRUE(hkcr.exists(L"Interface\\{80CE454F-C736-11D3-9DE3-40000A4A1541}"));
}

void expectUnregistered() {
    EXPECT_FALSE(hkcr.exists(L"Foldwatcher.Watch.1"));
    EXPECT_FALSE(hkcr.exists(L"Foldwatcher.Watch"));
    EXPECT_FALSE(hkcr.exists(kClassKey));
    EXPECT_TRUE(hkcr.exists(L"CLSID"));
    EXPECT_FALSE(typeLibRegistered());
}

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(lib.module, nullptr); }
    void TearDown() override {
        lib.registerServer();  // other tests and `make run` expect the library registered
    }
    Library lib;
    qs::win::ComInit com;
};

TEST_F(RegistrationTest, RegisterTwiceWritesOneSetAndDropsForeignSubkeys) {
    ASSERT_EQ(lib.registerServer(), S_OK);
    ASSERT_TRUE(hkcr.create(std::wstring(kClassKey) + L"\\Foreign\\Deep"));
    ASSERT_EQ(lib.registerServer(), S_OK);
    expectRegistered(dllPath());
}

TEST_F(RegistrationTest, UnregisterRemovesEverythingButTheClsidKey) {
    ASSERT_EQ(lib.registerServer(), S_OK);
    hkcr.create(L"Foldwatcher.Watch\\Foreign");
    ASSERT_EQ(lib.unregisterServer(), S_OK);
    expectUnregistered();
    EXPECT_EQ(lib.unregisterServer(), S_OK);  // already gone is no failure
}

TEST_F(RegistrationTest, TypeLibraryContents) {
    ITypeLib* tl = nullptr;
    ASSERT_EQ(LoadTypeLibEx(dllPath().c_str(), REGKIND_NONE, &tl), S_OK);
    TLIBATTR* la = nullptr;
    ASSERT_EQ(tl->GetLibAttr(&la), S_OK);
    EXPECT_TRUE(IsEqualGUID(la->guid, LIBID_FOLDWATCHER));
    EXPECT_EQ(la->lcid, 0u);
    EXPECT_EQ(la->syskind, SYS_WIN32);
    EXPECT_EQ(la->wMajorVerNum, 1);
    EXPECT_EQ(la->wMinorVerNum, 0);
    EXPECT_EQ(la->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, 0);  // the loader marks a library read from a file
    tl->ReleaseTLibAttr(la);
    BSTR name = nullptr, doc = nullptr;
    tl->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
    EXPECT_STREQ(name, L"FOLDWATCHER");
    EXPECT_STREQ(doc, L"Foldwatcher 1.0 Type Library");
    SysFreeString(name);
    SysFreeString(doc);

    ASSERT_EQ(tl->GetTypeInfoCount(), 3u);
    struct Expected {
        const wchar_t* name;
        const wchar_t* help;
        const GUID* guid;
        TYPEKIND kind;
        WORD flags;
    } expected[] = {
        {L"_IWatchEvents", L"_IWatchEvents Interface", &DIID__IWatchEvents, TKIND_DISPATCH, TYPEFLAG_FDISPATCHABLE},
        {L"Watch", L"Watch Class", &CLSID_Watch, TKIND_COCLASS, TYPEFLAG_FCANCREATE},
        {L"IWatch", L"IWatch Interface", &IID_IWatch, TKIND_DISPATCH, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE},
    };
    for (UINT i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ITypeInfo* ti = nullptr;
        ASSERT_EQ(tl->GetTypeInfo(i, &ti), S_OK);
        TYPEATTR* ta = nullptr;
        ti->GetTypeAttr(&ta);
        EXPECT_TRUE(IsEqualGUID(ta->guid, *expected[i].guid));
        EXPECT_EQ(ta->typekind, expected[i].kind);
        EXPECT_EQ(ta->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION, expected[i].flags);
        ti->ReleaseTypeAttr(ta);
        tl->GetDocumentation(i, &name, &doc, nullptr, nullptr);
        EXPECT_STREQ(name, expected[i].name);
        EXPECT_STREQ(doc, expected[i].help);
        SysFreeString(name);
        SysFreeString(doc);
        ti->Release();
    }

    // Notify: dispatch id 1, (BSTR sPathName, short nType).
    ITypeInfo* events = nullptr;
    ASSERT_EQ(tl->GetTypeInfoOfGuid(DIID__IWatchEvents, &events), S_OK);
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(events->GetFuncDesc(0, &fd), S_OK);
    EXPECT_EQ(fd->memid, 1);
    ASSERT_EQ(fd->cParams, 2);
    EXPECT_EQ(fd->lprgelemdescParam[0].tdesc.vt, VT_BSTR);
    EXPECT_EQ(fd->lprgelemdescParam[1].tdesc.vt, VT_I2);
    BSTR names[3] = {};
    UINT count = 0;
    events->GetNames(1, names, 3, &count);
    ASSERT_EQ(count, 3u);
    EXPECT_STREQ(names[0], L"Notify");
    EXPECT_STREQ(names[1], L"sPathName");
    EXPECT_STREQ(names[2], L"nType");
    for (BSTR n : names) SysFreeString(n);
    events->GetDocumentation(1, nullptr, &doc, nullptr, nullptr);
    EXPECT_STREQ(doc, L"Notifies that there are changes found in sPathName");
    SysFreeString(doc);
    events->ReleaseFuncDesc(fd);
    events->Release();

    // The coclass: IWatch default, _IWatchEvents default source.
    ITypeInfo* cls = nullptr;
    ASSERT_EQ(tl->GetTypeInfoOfGuid(CLSID_Watch, &cls), S_OK);
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        cls->GetImplTypeFlags(i, &flags);
        HREFTYPE ref;
        cls->GetRefTypeOfImplType(i, &ref);
        ITypeInfo* impl = nullptr;
        cls->GetRefTypeInfo(ref, &impl);
        TYPEATTR* ta = nullptr;
        impl->GetTypeAttr(&ta);
        EXPECT_TRUE(IsEqualGUID(ta->guid, i == 0 ? IID_IWatch : DIID__IWatchEvents));
        EXPECT_EQ(flags, i == 0 ? IMPLTYPEFLAG_FDEFAULT : IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
        impl->ReleaseTypeAttr(ta);
        impl->Release();
    }
    cls->Release();

    // IWatch's table: 11 slots, its own four at 7..10 with their dispatch ids and help strings.
    ITypeInfo* dual = nullptr;
    ASSERT_EQ(tl->GetTypeInfoOfGuid(IID_IWatch, &dual), S_OK);
    HREFTYPE vtblRef;
    ASSERT_EQ(dual->GetRefTypeOfImplType(-1, &vtblRef), S_OK);
    ITypeInfo* vtbl = nullptr;
    ASSERT_EQ(dual->GetRefTypeInfo(vtblRef, &vtbl), S_OK);
    TYPEATTR* ta = nullptr;
    vtbl->GetTypeAttr(&ta);
    EXPECT_EQ(ta->typekind, TKIND_INTERFACE);
    EXPECT_EQ(ta->wTypeFlags, TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(ta->cbSizeVft, 11 * sizeof(void*));
    EXPECT_EQ(ta->cFuncs, 4);
    vtbl->ReleaseTypeAttr(ta);
    struct Op {
        const wchar_t* name;
        INVOKEKIND kind;
        MEMBERID id;
        const wchar_t* help;
    } ops[] = {
        {L"AddPath", INVOKE_FUNC, 1, L"Adds a path to the watch"},
        {L"Start", INVOKE_PROPERTYGET, 2, L"Is the watch started or not ?"},
        {L"Start", INVOKE_PROPERTYPUT, 2, L"Start or stops the watch"},
        {L"RemovePath", INVOKE_FUNC, 3, L"Removes the path from the watch"},
    };
    for (UINT i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(vtbl->GetFuncDesc(i, &fd), S_OK);
        EXPECT_EQ(fd->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
        EXPECT_EQ(fd->invkind, ops[i].kind);
        EXPECT_EQ(fd->memid, ops[i].id);
        EXPECT_EQ(fd->elemdescFunc.tdesc.vt, VT_HRESULT);
        BSTR opNames[3] = {};
        vtbl->GetNames(fd->memid, opNames, 3, &count);  // first match: enough for the name
        EXPECT_STREQ(opNames[0], ops[i].name);
        for (BSTR n : opNames) SysFreeString(n);
        vtbl->GetDocumentation(fd->memid, nullptr, &doc, nullptr, nullptr);
        if (ops[i].kind != INVOKE_PROPERTYPUT) {  // by id, the put shares the get's entry
            EXPECT_STREQ(doc, ops[i].help);
        }
        SysFreeString(doc);
        vtbl->ReleaseFuncDesc(fd);
    }
    vtbl->Release();
    dual->Release();
    tl->Release();

    // What the interfaces cannot show by id: the put's own help string, and no name for its parameter.
    HRSRC res = FindResourceW(lib.module, MAKEINTRESOURCEW(1), L"TYPELIB");
    ASSERT_NE(res, nullptr);
    std::string bytes(static_cast<const char*>(LockResource(LoadResource(lib.module, res))),
                      SizeofResource(lib.module, res));
    EXPECT_NE(bytes.find("Start or stops the watch"), std::string::npos);
    EXPECT_EQ(bytes.find("newVal"), std::string::npos);
}

TEST_F(RegistrationTest, VersionAndStringResources) {
    const std::wstring dll = dllPath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(dll.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(dll.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    WORD* translation = nullptr;
    ASSERT_TRUE(
        VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"CompanyName", L""},
        {L"FileDescription", L"Foldwatcher Module"},
        {L"FileVersion", L"1, 0, 0, 1"},
        {L"InternalName", L"Foldwatcher"},
        {L"OriginalFilename", L"Foldwatcher.DLL"},
        {L"ProductName", L"Foldwatcher Module"},
        {L"ProductVersion", L"1, 0, 0, 1"},
        {L"OLESelfRegister", L""},
    };
    for (auto [key, value] : strings) {
        SCOPED_TRACE(key);
        wchar_t* text = nullptr;
        std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        ASSERT_TRUE(VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &len));
        EXPECT_EQ(std::wstring(text && len ? text : L""), value);
    }

    wchar_t project[32] = {};
    EXPECT_GT(LoadStringW(lib.module, 100, project, 32), 0);
    EXPECT_STREQ(project, L"Foldwatcher");
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    EXPECT_NE(FindResourceExW(lib.module, L"TYPELIB", MAKEINTRESOURCEW(1), english), nullptr);
    EXPECT_NE(FindResourceExW(lib.module, L"REGISTRY", MAKEINTRESOURCEW(101), english), nullptr);
}

// Late binding goes through the registered type library; a failed load is not kept.
TEST_F(RegistrationTest, LateBoundNamesNeedTheRegistration) {
    ASSERT_EQ(lib.unregisterServer(), S_OK);
    {
        IWatch* watch = lib.createWatch();
        ASSERT_NE(watch, nullptr);
        LPOLESTR name = const_cast<LPOLESTR>(L"Start");
        DISPID id = 0;
        EXPECT_TRUE(FAILED(watch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id)));
        ITypeInfo* ti = reinterpret_cast<ITypeInfo*>(1);
        EXPECT_TRUE(FAILED(watch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &ti)));
        EXPECT_EQ(ti, nullptr);
        watch->Release();
    }
    ASSERT_EQ(lib.registerServer(), S_OK);
    IWatch* watch = lib.createWatch();
    ASSERT_NE(watch, nullptr);
    const std::pair<const wchar_t*, DISPID> names[] = {{L"AddPath", 1}, {L"Start", 2}, {L"RemovePath", 3}};
    for (auto [text, expected] : names) {
        LPOLESTR name = const_cast<LPOLESTR>(text);
        DISPID id = 0;
        EXPECT_EQ(watch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, expected) << text;
    }
    ITypeInfo* ti = nullptr;
    ASSERT_EQ(watch->GetTypeInfo(5, LOCALE_USER_DEFAULT, &ti), S_OK);  // any index
    TYPEATTR* ta = nullptr;
    ti->GetTypeAttr(&ta);
    EXPECT_TRUE(IsEqualGUID(ta->guid, IID_IWatch));
    ti->ReleaseTypeAttr(ta);
    ti->Release();

    // A late-bound property put and get.
    VARIANTARG arg;
    VariantInit(&arg);
    arg.vt = VT_BOOL;
    arg.boolVal = VARIANT_TRUE;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &put, 1, 1};
    EXPECT_EQ(watch->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
              S_OK);
    VARIANT result;
    VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(watch->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    watch->Release();
}

// The way the program uses it: regsvr32, then CoCreateInstance by class identifier.
TEST_F(RegistrationTest, ClientAfterRegsvr32) {
    ASSERT_EQ(lib.unregisterServer(), S_OK);
    ASSERT_EQ(runProgram(L"regsvr32 /s \"" + dllPath() + L"\"", 60000).exitCode, 0u);
    expectRegistered(dllPath());

    TempDir dir;
    IWatch* watch = nullptr;
    ASSERT_EQ(
        CoCreateInstance(CLSID_Watch, nullptr, CLSCTX_INPROC_SERVER, IID_IWatch, reinterpret_cast<void**>(&watch)),
        S_OK);
    BSTR path = bstr(dir.wpath() + L"\\");
    EXPECT_EQ(watch->AddPath(path), S_OK);
    SysFreeString(path);
    EXPECT_EQ(watch->put_Start(VARIANT_TRUE), S_OK);
    Sink sink;
    DWORD cookie = advise(watch, &sink);
    ASSERT_NE(cookie, 0u);
    int n = 0;
    EXPECT_TRUE(pumpUntil([&] { return sink.has(dir.wpath() + L"\\", 2); }, 5000,
                          [&] { writeFile(dir.wfile(L"c" + std::to_wstring(++n)), "x"); }));
    unadvise(watch, cookie);
    EXPECT_EQ(sink.refs, 1);
    EXPECT_EQ(watch->put_Start(VARIANT_FALSE), S_OK);
    watch->Release();

    ASSERT_EQ(runProgram(L"regsvr32 /s /u \"" + dllPath() + L"\"", 60000).exitCode, 0u);
    expectUnregistered();
}

}  // namespace
