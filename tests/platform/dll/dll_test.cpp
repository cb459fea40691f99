#include <gtest/gtest.h>

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "automation/com_abi.h"
#include "automation/identities.h"
#include "automation/registry_file.h"
#include "automation/version_record.h"

namespace tarvenish {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kInit = 0x60030001;
constexpr std::int32_t kIFIAstart = 0x60030002;

TvVariant textArg(const char* text) {
    TvVariant v{};
    v.vt = TV_VT_STRING;
    v.u.str = text;
    return v;
}

TvVariant numberArg(double value) {
    TvVariant v{};
    v.vt = TV_VT_R8;
    v.u.r8 = value;
    return v;
}

TvVariant connectionArg(TvConnection* connection) {
    TvVariant v{};
    v.vt = TV_VT_CONNECTION;
    v.u.conn = connection;
    return v;
}

// The built library, loaded by path as a host loads it.
class LoadedLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        m_handle = ::dlopen(TARVENISH_DLL_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(m_handle, nullptr) << ::dlerror();
        m_getClassObject = reinterpret_cast<TvDllGetClassObjectFn>(::dlsym(m_handle, "DllGetClassObject"));
        m_canUnloadNow = reinterpret_cast<TvDllCanUnloadNowFn>(::dlsym(m_handle, "DllCanUnloadNow"));
        m_register = reinterpret_cast<TvDllRegisterServerFn>(::dlsym(m_handle, "DllRegisterServer"));
        m_unregister = reinterpret_cast<TvDllUnregisterServerFn>(::dlsym(m_handle, "DllUnregisterServer"));
        ASSERT_TRUE(m_getClassObject && m_canUnloadNow && m_register && m_unregister);
        ASSERT_EQ(m_canUnloadNow(), TV_S_OK) << "an earlier test left an object alive";
    }
    void TearDown() override {
        if (m_handle) ::dlclose(m_handle);
    }

    TvClassFactory* factory() {
        const TvGuid clsid = kClsidJustAccount.toAbi();
        const TvGuid iid = kIidClassFactory.toAbi();
        void* out = nullptr;
        EXPECT_EQ(m_getClassObject(&clsid, &iid, &out), TV_S_OK);
        return static_cast<TvClassFactory*>(out);
    }

    TvDispatch* createObject(TvClassFactory* f) {
        const TvGuid iid = kIidJustAccount.toAbi();
        void* out = nullptr;
        EXPECT_EQ(f->lpVtbl->CreateInstance(f, nullptr, &iid, &out), TV_S_OK);
        return static_cast<TvDispatch*>(out);
    }

    void* m_handle = nullptr;
    TvDllGetClassObjectFn m_getClassObject = nullptr;
    TvDllCanUnloadNowFn m_canUnloadNow = nullptr;
    TvDllRegisterServerFn m_register = nullptr;
    TvDllUnregisterServerFn m_unregister = nullptr;
};

using ClassObject = LoadedLibrary;
using DispatchObject = LoadedLibrary;
using Registration = LoadedLibrary;

TEST_F(ClassObject, CreatesAnObjectWhoseInitReturnsEmpty) {
    TvClassFactory* f = factory();
    ASSERT_NE(f, nullptr);
    TvDispatch* object = createObject(f);
    ASSERT_NE(object, nullptr);
    TvConnection* connection = nullptr;
    ASSERT_EQ(f->lpVtbl->CreateConnection(f, "Data Source=host.db", &connection), TV_S_OK);
    EXPECT_STREQ(connection->lpVtbl->ConnectionString(connection), "Data Source=host.db");

    TvVariant keepDate{};
    keepDate.vt = TV_VT_DATE;
    keepDate.u.date = 37622.0;
    TvVariant byDepartment{};
    byDepartment.vt = TV_VT_BOOL;
    byDepartment.u.boolean = 0;
    const std::array args{
        keepDate,        byDepartment,     textArg("01"),  textArg("原料库"), textArg("A1"),
        textArg("螺钉"), textArg(nullptr), numberArg(3.0), numberArg(30.0),   connectionArg(connection)};
    TvVariant result{};
    result.vt = TV_VT_I4;
    EXPECT_EQ(object->lpVtbl->Invoke(object, kInit, args.data(), args.size(), &result, nullptr, nullptr),
              TV_S_OK);
    EXPECT_EQ(result.vt, TV_VT_EMPTY);

    EXPECT_EQ(m_canUnloadNow(), TV_S_FALSE);
    connection->lpVtbl->Release(connection);
    object->lpVtbl->Release(object);
    EXPECT_EQ(m_canUnloadNow(), TV_S_FALSE) << "the factory is still alive";
    f->lpVtbl->Release(f);
    EXPECT_EQ(m_canUnloadNow(), TV_S_OK);
}

TEST_F(ClassObject, ServerLockKeepsTheLibraryLoaded) {
    TvClassFactory* f = factory();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->lpVtbl->LockServer(f, 1), TV_S_OK);
    f->lpVtbl->Release(f);
    EXPECT_EQ(m_canUnloadNow(), TV_S_FALSE);

    f = factory();
    EXPECT_EQ(f->lpVtbl->LockServer(f, 0), TV_S_OK);
    EXPECT_EQ(f->lpVtbl->LockServer(f, 0), TV_E_UNEXPECTED) << "an unlock without a lock";
    f->lpVtbl->Release(f);
    EXPECT_EQ(m_canUnloadNow(), TV_S_OK);
}

TEST_F(ClassObject, RefusesOtherClassesInterfacesAndAggregation) {
    const TvGuid other = kIidJustAccount.toAbi();
    const TvGuid factoryIid = kIidClassFactory.toAbi();
    const TvGuid dispatchIid = kIidDispatch.toAbi();
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_getClassObject(&other, &factoryIid, &out), TV_CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    const TvGuid clsid = kClsidJustAccount.toAbi();
    EXPECT_EQ(m_getClassObject(&clsid, &dispatchIid, &out), TV_E_NOINTERFACE);

    TvClassFactory* f = factory();
    int outer = 0;
    EXPECT_EQ(f->lpVtbl->CreateInstance(f, &outer, &dispatchIid, &out), TV_CLASS_E_NOAGGREGATION);
    EXPECT_EQ(f->lpVtbl->CreateInstance(f, nullptr, &factoryIid, &out), TV_E_NOINTERFACE);
    f->lpVtbl->Release(f);
    EXPECT_EQ(m_canUnloadNow(), TV_S_OK);
}

TEST_F(DispatchObject, FindsIdsByNameInAnyCase) {
    TvClassFactory* f = factory();
    TvDispatch* object = createObject(f);
    const char* names[] = {"INIT", "whcode", "nosuch"};
    std::int32_t ids[3] = {};
    EXPECT_EQ(object->lpVtbl->GetIDsOfNames(object, names, 2, ids), TV_S_OK);
    EXPECT_EQ(ids[0], kInit);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(object->lpVtbl->GetIDsOfNames(object, names, 3, ids), TV_DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[2], TV_DISPID_UNKNOWN);
    const char* unknown[] = {"Run"};
    EXPECT_EQ(object->lpVtbl->GetIDsOfNames(object, unknown, 1, ids), TV_DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], TV_DISPID_UNKNOWN);
    object->lpVtbl->Release(object);
    f->lpVtbl->Release(f);
}

TEST_F(DispatchObject, ReadsByReferenceArgumentsWithoutWritingThem) {
    TvClassFactory* f = factory();
    TvDispatch* object = createObject(f);
    std::int16_t accSql = 1;
    TvConnection* nothing = nullptr;
    TvVariant first{};
    first.vt = TV_VT_I2 | TV_VT_BYREF;
    first.u.byref = &accSql;
    TvVariant second{};
    second.vt = TV_VT_CONNECTION | TV_VT_BYREF;
    second.u.byref = &nothing;
    const std::array args{first, second};
    TvVariant result{};
    EXPECT_EQ(object->lpVtbl->Invoke(object, kIFIAstart, args.data(), args.size(), &result, nullptr, nullptr),
              TV_S_OK);
    EXPECT_EQ(result.vt, TV_VT_BOOL);
    EXPECT_EQ(result.u.boolean, 0);
    EXPECT_EQ(accSql, 1);
    object->lpVtbl->Release(object);
    f->lpVtbl->Release(f);
}

TEST_F(DispatchObject, ReportsFailuresWithCodeArgumentAndMessage) {
    TvClassFactory* f = factory();
    TvDispatch* object = createObject(f);
    TvExcepInfo info{};
    std::uint32_t argErr = 99;
    const std::array tooFew{numberArg(1.0)};
    EXPECT_EQ(object->lpVtbl->Invoke(object, kInit, tooFew.data(), tooFew.size(), nullptr, &info, &argErr),
              TV_DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(info.code, TV_DISP_E_BADPARAMCOUNT);
    EXPECT_STREQ(info.description, "init takes 10 arguments, 1 given");

    // A connection handle that this library did not make is never read through.
    const TvConnectionVtbl foreignTable{};
    TvConnection foreign{&foreignTable};
    TvVariant dialect{};
    dialect.vt = TV_VT_I2;
    const std::array args{dialect, connectionArg(&foreign)};
    EXPECT_EQ(object->lpVtbl->Invoke(object, kIFIAstart, args.data(), args.size(), nullptr, &info, &argErr),
              TV_DISP_E_BADVARTYPE);
    EXPECT_EQ(argErr, 1u);

    TvVariant badTag{};
    badTag.vt = 77;
    const std::array badArgs{badTag, connectionArg(nullptr)};
    EXPECT_EQ(
        object->lpVtbl->Invoke(object, kIFIAstart, badArgs.data(), badArgs.size(), nullptr, &info, &argErr),
        TV_DISP_E_BADVARTYPE);
    EXPECT_EQ(argErr, 0u);
    object->lpVtbl->Release(object);
    f->lpVtbl->Release(f);
}

TEST_F(DispatchObject, RefusesCallsFromAnotherThread) {
    TvClassFactory* f = factory();
    TvDispatch* object = createObject(f);
    TvVariant dialect{};
    dialect.vt = TV_VT_I2;
    const std::array args{dialect, connectionArg(nullptr)};
    TvResult code = TV_S_OK;
    std::thread([&] {
        code =
            object->lpVtbl->Invoke(object, kIFIAstart, args.data(), args.size(), nullptr, nullptr, nullptr);
    }).join();
    EXPECT_EQ(code, TV_RPC_E_WRONG_THREAD);
    object->lpVtbl->Release(object);
    f->lpVtbl->Release(f);
}

TEST_F(DispatchObject, AnswersItsInterfacesOnly) {
    TvClassFactory* f = factory();
    TvDispatch* object = createObject(f);
    for (const Guid& iid : {kIidUnknown, kIidDispatch, kIidJustAccount}) {
        const TvGuid raw = iid.toAbi();
        void* out = nullptr;
        EXPECT_EQ(object->lpVtbl->QueryInterface(object, &raw, &out), TV_S_OK) << iid.format();
        EXPECT_EQ(out, object);
        object->lpVtbl->Release(object);
    }
    const TvGuid factoryIid = kIidClassFactory.toAbi();
    void* out = nullptr;
    EXPECT_EQ(object->lpVtbl->QueryInterface(object, &factoryIid, &out), TV_E_NOINTERFACE);
    EXPECT_EQ(object->lpVtbl->Release(object), 0u);
    f->lpVtbl->Release(f);
    EXPECT_EQ(m_canUnloadNow(), TV_S_OK);
}

TEST_F(Registration, WritesAndRemovesExactlyTheClassRecord) {
    std::string dirPattern = (fs::temp_directory_path() / "tarvenish-dll-XXXXXX").string();
    ASSERT_NE(::mkdtemp(dirPattern.data()), nullptr);
    const fs::path dir = dirPattern;
    const fs::path file = dir / "registry.json";
    std::ofstream(file)
        << R"({"classes":{"{00000000-0000-0000-0000-000000000002}":{"progId":"Other.Thing"}}})";
    ::setenv("TARVENISH_REGISTRY", file.c_str(), 1);

    EXPECT_EQ(m_register(), TV_S_OK);
    const std::optional<ClassRegistration> record = findClass(file, kClsidJustAccount);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->progId, "TARVENISH.JustAccount");
    EXPECT_EQ(fs::path(record->serverPath), fs::canonical(TARVENISH_DLL_PATH));
    EXPECT_EQ(record->typeLibrary, kTypeLibraryId);
    EXPECT_EQ(record->typeLibraryVersion, "1.1");
    EXPECT_EQ(record->threadingModel, "Apartment");

    EXPECT_EQ(m_unregister(), TV_S_OK);
    EXPECT_FALSE(findClass(file, kClsidJustAccount));
    EXPECT_TRUE(findClass(file, *Guid::parse("{00000000-0000-0000-0000-000000000002}")));

    std::ofstream(file, std::ios::trunc) << "damaged";
    EXPECT_EQ(m_register(), TV_SELFREG_E_CLASS);

    ::unsetenv("TARVENISH_REGISTRY");
    fs::remove_all(dir);
}

TEST(LibraryFile, CarriesTheVersionRecord) {
    const std::optional<VersionRecord> record = readVersionRecord(TARVENISH_DLL_PATH);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->fileVersion, "8.61");
    EXPECT_EQ(record->productVersion, "8.61");
    EXPECT_EQ(record->language, "0804");
    EXPECT_EQ(record->internalName, "TARVENISH");
    EXPECT_EQ(record->originalFilename, "TARVENISH.dll");
    EXPECT_TRUE(record->selfRegistering);
}

TEST(LibraryFile, ExportsExactlyTheFourEntryPoints) {
    const std::string command = std::string("nm -D --defined-only '") + TARVENISH_DLL_PATH + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> functions;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (!(fields >> address >> type >> name)) continue;
        // Every defined dynamic symbol counts: the core's own C++ symbols must stay inside the library too.
        functions.insert(name);
    }
    const int status = ::pclose(pipe);
    if (functions.empty() && status != 0) GTEST_SKIP() << "nm is not available";
    EXPECT_EQ(functions, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer",
                                                "DllUnregisterServer"}));
}

}  // namespace
}  // namespace tarvenish
