/* What a host does with the component: load TARVENISH.so, register it, create a JustAccount object, ask the
 * two checks, run the rebuild, release everything and unload. Each answer is printed on its own line.
 *
 *   tarvenish-example-host ACCOUNT_SET [ACC_SQL]
 *
 * ACCOUNT_SET is the account set's SQLite file or a connection string, ACC_SQL the dialect flag (1 server, the default; 0 desktop).
 * The library is TARVENISH_LIBRARY when that is set, otherwise the path this program was built with.
 * Exit status: 0 when JustAccount answered true, 1 when it answered false, 2 when a step before it failed. */

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <tarvenish/automation.h>

#ifndef TARVENISH_LIBRARY_PATH
#define TARVENISH_LIBRARY_PATH "TARVENISH.so"
#endif

static void printFailure(const char* what, TvResult code, const TvExcepInfo* info) {
    fprintf(stderr, "%s failed: 0x%08X%s%s\n", what, (unsigned)code, info && info->description[0] ? " " : "",
            info ? info->description : "");
}

/* Calls one of the members that take (AccSql, gdbsKavrin) and answer a Boolean; -1 when the call failed. */
static int callCheck(TvDispatch* object, const char* member, int16_t accSql, TvConnection* connection) {
    const char* names[1] = {member};
    int32_t dispId = TV_DISPID_UNKNOWN;
    TvResult code = object->lpVtbl->GetIDsOfNames(object, names, 1, &dispId);
    if (code != TV_S_OK) {
        printFailure(member, code, NULL);
        return -1;
    }
    TvVariant args[2];
    memset(args, 0, sizeof args);
    args[0].vt = TV_VT_I2;
    args[0].u.i2 = accSql;
    args[1].vt = TV_VT_CONNECTION;
    args[1].u.conn = connection;
    TvVariant result;
    memset(&result, 0, sizeof result);
    TvExcepInfo info;
    memset(&info, 0, sizeof info);
    code = object->lpVtbl->Invoke(object, dispId, args, 2, &result, &info, NULL);
    if (code != TV_S_OK || result.vt != TV_VT_BOOL) {
        printFailure(member, code, &info);
        return -1;
    }
    printf("%s: %s\n", member, result.u.boolean ? "true" : "false");
    return result.u.boolean != 0;
}

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: %s ACCOUNT_SET [ACC_SQL]\n", argv[0]);
        return 2;
    }
    const int16_t accSql = (int16_t)(argc == 3 ? atoi(argv[2]) : 1);
    const char* library = getenv("TARVENISH_LIBRARY");
    if (!library || !*library) library = TARVENISH_LIBRARY_PATH;

    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        fprintf(stderr, "cannot load %s: %s\n", library, dlerror());
        return 2;
    }
    /* POSIX's way of taking a function from dlsym: ISO C has no conversion from void* to a function. */
    TvDllGetClassObjectFn getClassObject = NULL;
    TvDllCanUnloadNowFn canUnloadNow = NULL;
    TvDllRegisterServerFn registerServer = NULL;
    *(void**)&getClassObject = dlsym(handle, "DllGetClassObject");
    *(void**)&canUnloadNow = dlsym(handle, "DllCanUnloadNow");
    *(void**)&registerServer = dlsym(handle, "DllRegisterServer");
    if (!getClassObject || !canUnloadNow || !registerServer) {
        fprintf(stderr, "%s lacks the entry points of the component\n", library);
        dlclose(handle);
        return 2;
    }
    printf("DllRegisterServer: 0x%08X\n", (unsigned)registerServer());

    const TvGuid clsid = TV_CLSID_JustAccount;
    const TvGuid factoryIid = TV_IID_IClassFactory;
    const TvGuid objectIid = TV_IID_JustAccount;
    TvClassFactory* factory = NULL;
    TvResult code = getClassObject(&clsid, &factoryIid, (void**)&factory);
    if (code != TV_S_OK) {
        printFailure("DllGetClassObject", code, NULL);
        dlclose(handle);
        return 2;
    }
    TvDispatch* object = NULL;
    code = factory->lpVtbl->CreateInstance(factory, NULL, &objectIid, (void**)&object);
    char connectionString[4096];
    /* A connection string ("Driver=...;Database=...;", "DSN=...") is passed as it is, a path as its Data Source. */
    snprintf(connectionString, sizeof connectionString, strchr(argv[1], '=') ? "%s" : "Data Source=%s;", argv[1]);
    TvConnection* connection = NULL;
    if (code == TV_S_OK) code = factory->lpVtbl->CreateConnection(factory, connectionString, &connection);

    int justAccount = -1;
    if (code != TV_S_OK) {
        printFailure("CreateInstance", code, NULL);
    } else {
        /* A host asks both checks and runs the rebuild only when they allow it; this one runs it anyway so
         * that every answer can be seen. */
        (void)callCheck(object, "IFIAstart", accSql, connection);
        (void)callCheck(object, "IFEnd", accSql, connection);
        justAccount = callCheck(object, "JustAccount", accSql, connection);
    }

    if (connection) connection->lpVtbl->Release(connection);
    if (object) object->lpVtbl->Release(object);
    factory->lpVtbl->Release(factory);
    code = canUnloadNow();
    printf("DllCanUnloadNow: %s\n", code == TV_S_OK ? "S_OK" : "S_FALSE");
    /* S_FALSE: something of the library is still in use (or its window toolkit has started); it stays. */
    if (code == TV_S_OK) dlclose(handle);
    return justAccount < 0 ? 2 : justAccount ? 0 : 1;
}
