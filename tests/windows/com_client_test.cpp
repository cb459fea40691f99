// A C++ client of TARVENISH.dll as a host makes one: the class found by its ProgID in the registry, its
// members called late-bound through IDispatch::Invoke and early-bound through the vtable.

#include <gtest/gtest.h>

// <windows.h> comes before the other Windows headers, which need its types.
#include <windows.h>

#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "automation/version_record.h"
#include "platform/com/registration.h"
#include "platform/com/tarvenish_idl.h"
#include "platform/com/wide_text.h"
#include "script_connection.h"

namespace tarvenish {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The ODBC string of a SQLite account set the CI made, as a Unix path the Linux driver receives unchanged.
std::wstring accountSet(const char* variable) {
    return utf16("Driver=SQLite3;Database=" + environment(variable) +
                 ";LoadExt=" + environment("TARVENISH_TEST_LOADEXT") + ";");
}

_JustAccount* newObject() {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(L"TARVENISH.JustAccount", &clsid))) return nullptr;
    _JustAccount* object = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__JustAccount,
                                reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

VARIANT byReference(VARIANT* inner) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = inner;
    return v;
}

VARIANT dispatchValue(IDispatch* object) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return v;
}

VARIANT shortValue(short value) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I2;
    V_I2(&v) = value;
    return v;
}

struct Call {
    HRESULT code = E_FAIL;
    VARIANT result{};
    EXCEPINFO exception{};
    UINT badArgument = 99;
};

// IDispatch::Invoke of member `id` with `arguments` in declared order.
Call invoke(IDispatch* object, DISPID id, std::vector<VARIANT> arguments) {
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    Call call;
    VariantInit(&call.result);
    call.code = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &call.result,
                               &call.exception, &call.badArgument);
    return call;
}

class ComClient : public testing::Test {
protected:
    void SetUp() override {
        m_object = newObject();
        ASSERT_NE(m_object, nullptr) << "TARVENISH.JustAccount is not registered";
        m_connection = newScriptConnection(accountSet("TARVENISH_TEST_SET_A"));
    }
    void TearDown() override {
        if (m_connection) m_connection->Release();
        if (m_object) m_object->Release();
    }
    _JustAccount* m_object = nullptr;
    IDispatch* m_connection = nullptr;
};

TEST_F(ComClient, FindsTheMembersByNameThroughTheEmbeddedTypeLibrary) {
    ITypeInfo* info = nullptr;
    ASSERT_EQ(m_object->GetTypeInfo(0, 0, &info), S_OK);
    ITypeLib* library = nullptr;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(&library, &index), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_TARVENISH));
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 1);
    EXPECT_EQ(attributes->lcid, 0u);
    library->ReleaseTLibAttr(attributes);
    library->Release();
    info->Release();

    const wchar_t* names[] = {L"JustAccount", L"init", L"IFIAstart", L"IFEnd"};
    const DISPID ids[] = {0x60030000, 0x60030001, 0x60030002, 0x60030003};
    for (int i = 0; i < 4; ++i) {
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        DISPID id = 0;
        ASSERT_EQ(m_object->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, ids[i]);
    }
}

TEST_F(ComClient, TakesVariantsByReferenceTypedReferencesAndPlainValuesAndWritesNothingBack) {
    VARIANT flag = shortValue(1);
    VARIANT connection = dispatchValue(m_connection);
    short typed = 1;
    VARIANT typedReference;
    VariantInit(&typedReference);
    V_VT(&typedReference) = VT_BYREF | VT_I2;
    V_I2REF(&typedReference) = &typed;
    for (const VARIANT& accSql : {byReference(&flag), typedReference, shortValue(1)}) {
        const Call call = invoke(m_object, 0x60030002, {accSql, byReference(&connection)});
        ASSERT_EQ(call.code, S_OK) << utf8(call.exception.bstrDescription);
        EXPECT_EQ(V_VT(&call.result), VT_BOOL);
        EXPECT_EQ(V_BOOL(&call.result), VARIANT_TRUE);
    }
    EXPECT_EQ(V_VT(&flag), VT_I2);
    EXPECT_EQ(V_I2(&flag), 1);
    EXPECT_EQ(typed, 1);
    EXPECT_EQ(V_DISPATCH(&connection), m_connection);
}

TEST_F(ComClient, RefusesAWrongTypeAMissingArgumentAndNothingWithTheirCodes) {
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(L"abc");
    const Call wrong = invoke(m_object, 0x60030003, {text, dispatchValue(m_connection)});
    EXPECT_EQ(wrong.code, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(wrong.badArgument, 1u);
    SysFreeString(V_BSTR(&text));

    EXPECT_EQ(invoke(m_object, 0x60030003, {shortValue(1)}).code, DISP_E_BADPARAMCOUNT);
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(invoke(m_object, 0x60030003, {shortValue(1), missing}).code, DISP_E_PARAMNOTOPTIONAL);

    const Call nothing = invoke(m_object, 0x60030000, {shortValue(1), dispatchValue(nullptr)});
    EXPECT_EQ(nothing.code, DISP_E_EXCEPTION);
    EXPECT_NE(utf8(nothing.exception.bstrDescription).find("no connection object"), std::string::npos);
}

TEST_F(ComClient, RefusesAnOleDbProviderItCannotReachAndNeverShowsThePassword) {
    IDispatch* foreign =
        newScriptConnection(L"Provider=OraOLEDB.Oracle;Data Source=x;User ID=a;Password=s3cret;");
    const Call call = invoke(m_object, 0x60030000, {shortValue(1), dispatchValue(foreign)});
    foreign->Release();
    EXPECT_EQ(call.code, DISP_E_EXCEPTION);
    const std::string message = utf8(call.exception.bstrDescription);
    EXPECT_NE(message.find("OraOLEDB.Oracle"), std::string::npos);
    EXPECT_EQ(message.find("s3cret"), std::string::npos);
}

TEST_F(ComClient, CallsTheChecksThroughTheVtable) {
    short accSql = 1;
    VARIANT_BOOL answer = VARIANT_FALSE;
    ASSERT_EQ(m_object->IFIAstart(&accSql, &m_connection, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    ASSERT_EQ(m_object->IFEnd(&accSql, &m_connection, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    VARIANT empty;
    DATE keep = 0;
    VARIANT_BOOL byDepartment = VARIANT_FALSE;
    BSTR code = SysAllocString(L"01");
    double zero = 0;
    ASSERT_EQ(m_object->init(&keep, &byDepartment, &code, &code, &code, &code, &code, &zero, &zero,
                             &m_connection, &empty),
              S_OK);
    EXPECT_EQ(V_VT(&empty), VT_EMPTY);
    SysFreeString(code);
}

// A thread's start routine is a stdcall function on i686, which no lambda converts to.
template <typename Work>
DWORD WINAPI runWork(void* argument) {
    (*static_cast<Work*>(argument))();
    return 0;
}

// Starts `work` on a thread of its own made as a host makes one; `work` must outlive the thread.
template <typename Work>
HANDLE startHostThread(Work& work) {
    return CreateThread(nullptr, 0, &runWork<Work>, &work, 0, nullptr);
}

// Runs `work` on a thread of its own made as a host makes one, and waits for it to end.
template <typename Work>
void onHostThread(Work work) {
    const HANDLE thread = startHostThread(work);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST_F(ComClient, AFailedVtableCallLeavesItsReasonInTheErrorObject) {
    ISupportErrorInfo* support = nullptr;
    ASSERT_EQ(m_object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__JustAccount), S_OK);
    support->Release();
    short accSql = 1;
    IDispatch* nothing = nullptr;
    VARIANT_BOOL answer = VARIANT_TRUE;
    EXPECT_TRUE(FAILED(m_object->JustAccount(&accSql, &nothing, &answer)));
    EXPECT_EQ(answer, VARIANT_FALSE);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_NE(utf8(description).find("no connection object"), std::string::npos);
    SysFreeString(description);
    info->Release();
}

// Each apartment thread that creates objects has a SharedState of its own: the connection that init leaves
// in one thread's state is not the one another thread's run takes, which runs on the set its host passed.
TEST(ComApartments, AnotherApartmentThreadDoesNotSeeTheConnectionInitKeptInOne) {
    const std::string setA = contentOf(environment("TARVENISH_TEST_SET_A"));
    VARIANT_BOOL answer = VARIANT_FALSE;
    HRESULT initCode = E_FAIL;
    HRESULT runCode = E_FAIL;
    onHostThread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        _JustAccount* object = newObject();
        IDispatch* connection = newScriptConnection(accountSet("TARVENISH_TEST_SET_A"));
        DATE keep = 0;
        VARIANT_BOOL byDepartment = VARIANT_FALSE;
        BSTR code = SysAllocString(L"01");
        double zero = 0;
        VARIANT empty;
        if (object)
            initCode = object->init(&keep, &byDepartment, &code, &code, &code, &code, &code, &zero, &zero,
                                    &connection, &empty);
        SysFreeString(code);
        connection->Release();
        if (object) object->Release();
        CoUninitialize();
    });
    onHostThread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        _JustAccount* object = newObject();
        IDispatch* connection = newScriptConnection(accountSet("TARVENISH_TEST_SET_B"));
        short accSql = 1;
        if (object) runCode = object->JustAccount(&accSql, &connection, &answer);
        connection->Release();
        if (object) object->Release();
        CoUninitialize();
    });
    EXPECT_EQ(initCode, S_OK);
    EXPECT_EQ(runCode, S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    EXPECT_EQ(contentOf(environment("TARVENISH_TEST_SET_A")), setA)
        << "the run went to the other thread's set";
}

// Two host threads that run at once, each on its own account set, each rebuild their own.
TEST(ComApartments, TwoApartmentThreadsRunAtOnceOnTheirOwnAccountSets) {
    VARIANT_BOOL answers[2] = {VARIANT_FALSE, VARIANT_FALSE};
    HRESULT codes[2] = {E_FAIL, E_FAIL};
    const char* sets[2] = {"TARVENISH_TEST_SET_C", "TARVENISH_TEST_SET_D"};
    const auto run = [&](int i) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        _JustAccount* object = newObject();
        IDispatch* connection = newScriptConnection(accountSet(sets[i]));
        short accSql = 1;
        if (object) codes[i] = object->JustAccount(&accSql, &connection, &answers[i]);
        connection->Release();
        if (object) object->Release();
        CoUninitialize();
    };
    auto first = [&] { run(0); };
    auto second = [&] { run(1); };
    HANDLE threads[2] = {startHostThread(first), startHostThread(second)};
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    for (int i = 0; i < 2; ++i) {
        CloseHandle(threads[i]);
        EXPECT_EQ(codes[i], S_OK);
        EXPECT_EQ(answers[i], VARIANT_TRUE);
    }
}

// Set E's warehouse, department and item codes are Chinese: its statements and rows travel as UTF-16 through
// the wide ODBC calls, and a code misread on the way would match no line and leave the set as it was. Its own
// apartment thread: this one's SharedState keeps the account set another test gave init.
TEST(ComWideText, RebuildsAnAccountSetWhoseCodesAreChinese) {
    const std::string before = contentOf(environment("TARVENISH_TEST_SET_E"));
    ASSERT_FALSE(before.empty());
    // The report goes to a file whose name is Chinese, as the library's setting names it.
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    const std::wstring report = std::wstring(folder) + L"\u5bf9\u8d26\u62a5\u544a.json";
    (void)_wremove(report.c_str());
    ASSERT_EQ(_wputenv((L"TARVENISH_REPORT=" + report).c_str()), 0);
    struct Outcome {
        HRESULT code = E_FAIL;
        VARIANT_BOOL answer = VARIANT_FALSE;
    } outcome;
    onHostThread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        _JustAccount* object = newObject();
        IDispatch* connection = newScriptConnection(accountSet("TARVENISH_TEST_SET_E"));
        short accSql = 0;
        if (object) outcome.code = object->JustAccount(&accSql, &connection, &outcome.answer);
        connection->Release();
        if (object) object->Release();
        CoUninitialize();
    });
    EXPECT_EQ(outcome.code, S_OK);
    EXPECT_EQ(outcome.answer, VARIANT_TRUE);
    EXPECT_NE(contentOf(environment("TARVENISH_TEST_SET_E")), before) << "the run changed nothing";
    (void)_wputenv(L"TARVENISH_REPORT=");
    std::FILE* written = _wfopen(report.c_str(), L"rb");
    ASSERT_NE(written, nullptr) << "no report under its Chinese name";
    char head[16] = {};
    EXPECT_GT(std::fread(head, 1, sizeof head, written), 0u);
    std::fclose(written);
    (void)_wremove(report.c_str());
}

TEST(ComVersion, TheVersionResourceCarriesTheComponentsRecord) {
    const std::optional<VersionRecord> record = readVersionRecord(utf16(environment("TARVENISH_TEST_DLL")));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->fileVersion, "8.61");
    EXPECT_EQ(record->productVersion, "8.61");
    EXPECT_EQ(record->language, "0804");
    EXPECT_EQ(record->internalName, "TARVENISH");
    EXPECT_EQ(record->originalFilename, "TARVENISH.dll");
    EXPECT_TRUE(record->selfRegistering);
}

bool keyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

// The type library's key is shared by both widths' DLLs: unregistering one leaves the other's path.
TEST(ComRegistration, UnregisteringOneWidthLeavesTheOtherWidthsTypeLibraryPath) {
    const std::wstring version = L"TypeLib\\{07690D9E-D002-4645-8904-E32B8DE7C95B}\\1.1";
    const std::vector<RegistryEntry> installed =
        registryEntries(utf16(environment("TARVENISH_TEST_DLL")), sizeof(void*) == 8);
    const std::vector<RegistryEntry> other = registryEntries(L"C:\\other\\TARVENISH.dll", sizeof(void*) != 8);
    writeRegistryEntries(other);
    removeRegistryEntries(other);
    const wchar_t* own = sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32";
    const wchar_t* gone = sizeof(void*) == 8 ? L"\\0\\win32" : L"\\0\\win64";
    EXPECT_TRUE(keyExists(version + own));
    EXPECT_FALSE(keyExists(version + gone));
    // Both widths share this registry view here, so the class keys went too: they are written again.
    writeRegistryEntries(installed);
}

}  // namespace
}  // namespace tarvenish

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
