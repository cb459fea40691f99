// The four exports of the in-process COM server: class object, unload answer, registration and
// unregistration.

// <windows.h> comes before the other Windows headers, which need its types.
#include <windows.h>

#include <olectl.h>

#include <cstdio>
#include <exception>

#include "automation/server_lifetime.h"
#include "base/module_path.h"
#include "base/thread_exit.h"
#include "platform/com/class_factory.h"
#include "platform/com/registration.h"
#include "platform/com/tarvenish_idl.h"

namespace {

using namespace tarvenish;

std::vector<RegistryEntry> entriesOfThisDll() {
    const std::filesystem::path dll = modulePathOf(reinterpret_cast<const void*>(&entriesOfThisDll));
    if (dll.empty()) throw std::runtime_error("cannot find the path of TARVENISH.dll");
    return registryEntries(dll, sizeof(void*) == 8);
}

void reportFailure(const char* what, const std::exception& error) noexcept {
    // The exports answer with a code only; the message is for whoever ran regsvr32.
    std::fprintf(stderr, "TARVENISH: %s failed: %s\n", what, error.what());
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_JustAccount)) return CLASS_E_CLASSNOTAVAILABLE;
    IClassFactory* factory = newJustAccountFactory();
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT answer = factory->QueryInterface(iid, out);
    factory->Release();
    return answer;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    // A thread that used the component runs this DLL's code when it ends, so once one has, the DLL stays.
    return canUnloadServer() && !threadExitWorkRegistered() ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    try {
        writeRegistryEntries(entriesOfThisDll());
        return S_OK;
    } catch (const std::exception& error) {
        reportFailure("registration", error);
    } catch (...) {
    }
    return SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    try {
        removeRegistryEntries(entriesOfThisDll());
        return S_OK;
    } catch (const std::exception& error) {
        reportFailure("unregistration", error);
    } catch (...) {
    }
    return SELFREG_E_CLASS;
}
