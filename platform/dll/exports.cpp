// The four exports of the in-process server: class object, unload answer, registration and unregistration.

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "automation/class_factory.h"
#include "automation/com_abi.h"
#include "automation/identities.h"
#include "automation/registry_file.h"
#include "automation/server_lifetime.h"
#include "component_class/dispatch.h"
#include "ledger/engines.h"
#include "platform/dll/library_just_account.h"

#ifdef TARVENISH_HAVE_QT
#include "platform/qt/qt_application.h"
#endif

#define TARVENISH_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace tarvenish;

static_assert(TV_DISPID_JustAccount == kDispIdJustAccount && TV_DISPID_init == kDispIdInit &&
                  TV_DISPID_IFIAstart == kDispIdIFIAstart && TV_DISPID_IFEnd == kDispIdIFEnd,
              "the published dispatch ids are the members' ids");

// The absolute path of this library as the loader found it.
std::filesystem::path libraryPath() {
    static const char anchor = 0;
    Dl_info info{};
    if (dladdr(&anchor, &info) == 0 || !info.dli_fname)
        throw RegistryError("cannot find the path of the component library");
    std::error_code ec;
    std::filesystem::path path = std::filesystem::weakly_canonical(info.dli_fname, ec);
    return ec ? std::filesystem::absolute(info.dli_fname) : path;
}

ClassRegistration justAccountRegistration() {
    ClassRegistration registration;
    registration.clsid = kClsidJustAccount;
    registration.progId = std::string(kProgIdJustAccount);
    registration.serverPath = libraryPath().string();
    registration.typeLibrary = kTypeLibraryId;
    registration.typeLibraryVersion = std::string(kTypeLibraryVersion);
    registration.threadingModel = std::string(kThreadingModel);
    return registration;
}

void reportFailure(const char* what, const std::exception& e) noexcept {
    // The exports answer with a code only; the message is for whoever ran the registration.
    std::fprintf(stderr, "TARVENISH: %s failed: %s\n", what, e.what());
}

}  // namespace

TARVENISH_EXPORT TvResult DllGetClassObject(const TvGuid* clsid, const TvGuid* iid, void** out) {
    if (!out) return TV_E_POINTER;
    *out = nullptr;
    if (!clsid || !iid) return TV_E_POINTER;
    if (Guid::fromAbi(*clsid) != kClsidJustAccount) return TV_CLASS_E_CLASSNOTAVAILABLE;
    try {
        // Every object the host can make comes from this factory, so the engines are known before any opens.
        registerEngines();
        TvClassFactory* factory =
            makeClassFactory([] { return std::make_unique<LibraryJustAccount>(); }, kIidJustAccount);
        const TvResult result = factory->lpVtbl->QueryInterface(factory, iid, out);
        factory->lpVtbl->Release(factory);
        return result;
    } catch (...) {
        return TV_E_OUTOFMEMORY;
    }
}

TARVENISH_EXPORT TvResult DllCanUnloadNow(void) {
#ifdef TARVENISH_HAVE_QT
    // Qt keeps this library's window classes for the rest of the process.
    if (qtStarted()) return TV_S_FALSE;
#endif
    return canUnloadServer() ? TV_S_OK : TV_S_FALSE;
}

TARVENISH_EXPORT TvResult DllRegisterServer(void) {
    try {
        registerClass(registryFilePath(), justAccountRegistration());
        return TV_S_OK;
    } catch (const std::exception& e) {
        reportFailure("registration", e);
    } catch (...) {
    }
    return TV_SELFREG_E_CLASS;
}

TARVENISH_EXPORT TvResult DllUnregisterServer(void) {
    try {
        (void)unregisterClass(registryFilePath(), kClsidJustAccount);
        return TV_S_OK;
    } catch (const std::exception& e) {
        reportFailure("unregistration", e);
    } catch (...) {
    }
    return TV_SELFREG_E_CLASS;
}
