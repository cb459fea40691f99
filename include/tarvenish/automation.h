#ifndef TARVENISH_AUTOMATION_H
#define TARVENISH_AUTOMATION_H
/* The binary surface of TARVENISH.so for host programs, in plain C (usable from C and C++).
 *
 * A host loads the library with dlopen and reaches it through four exports only:
 *   DllGetClassObject(&TV_CLSID_JustAccount, &TV_IID_IClassFactory, &factory)  the class factory
 *   DllCanUnloadNow()        TV_S_OK when nothing of the library is in use and dlclose is safe, TV_S_FALSE
 *                            otherwise (always once the library has shown a window: it then stays loaded)
 *   DllRegisterServer()      writes the class record (id, name, path of the library) into the registry file:
 *   DllUnregisterServer()    TARVENISH_REGISTRY, else $XDG_CONFIG_HOME/tarvenish/registry.json, else
 *                            ~/.config/tarvenish/registry.json; removes it again
 *
 * The factory's CreateInstance(factory, NULL, &TV_IID_JustAccount, &object) makes a JustAccount object; its
 * CreateConnection(factory, "Data Source=FILE;", &connection) makes the connection object that the members
 * take as gdbsKavrin. The object's members are reached through Invoke, by dispatch id (or by name through
 * GetIDsOfNames). Arguments go in declared order, first parameter first, by value or TV_VT_BYREF:
 *
 *   TV_DISPID_JustAccount  JustAccount(AccSql I2, gdbsKavrin CONNECTION) -> BOOL
 *       Rebuilds the opening rows. True when every pair was rebuilt, confirmed in the dialog or left as it
 *       was by the user (dialog closed, or TARVENISH_ON_MISMATCH=skip); false when the user cancelled, a
 *       pair failed, the run failed or did not start (no account set, another run holds it). Every false
 *       comes with a line "TARVENISH: reason" on standard error, and the reason in the JSON report.
 *   TV_DISPID_init         init(Dkeep DATE, Iswh BOOL, Whcode STRING, Whname STRING, Invcode STRING,
 *                               invname STRING, style STRING, quan R8, money R8, gdbsKavrin CONNECTION)
 *                          -> EMPTY. Puts one pair's figures into the state the dialog reads.
 *   TV_DISPID_IFIAstart    IFIAstart(AccSql I2, gdbsKavrin CONNECTION) -> BOOL: inventory accounting has
 *                          started and holds specific-identification opening rows.
 *   TV_DISPID_IFEnd        IFEnd(AccSql I2, gdbsKavrin CONNECTION) -> BOOL: no outstanding sales document
 *                          forbids the rebuild.
 *
 * AccSql is 1 for the server dialect, 0 for the desktop dialect; any other value sends the department fill,
 * the issued-quantity pass and the checks' statements in the desktop dialect, the rest in the server one. On
 * a database server JustAccount, IFIAstart and IFEnd refuse an AccSql other than 1 before anything is sent
 * (they answer false, the reason on standard error). A connection that is closed is opened from
 * its connection string for the call and closed again before it returns; an open one is used and left open.
 *
 * Threads: an object is called on the thread that created it (any other answers TV_RPC_E_WRONG_THREAD). When
 * a pair's totals differ, JustAccount shows a modal window on the calling thread: through the host's
 * QApplication when the host has one, otherwise through one the library creates and keeps. Without a display
 * (no DISPLAY or WAYLAND_DISPLAY, none reachable, or a call off the QApplication's thread) the environment
 * variable TARVENISH_ON_MISMATCH=skip|cancel|balance|average answers the window; without it the first
 * differing pair cancels the run (JustAccount answers false) and the reason goes to standard error.
 * TARVENISH_BUSY_TIMEOUT=SECONDS sets how long a statement waits for another writer. TARVENISH_REPORT=FILE and
 * TARVENISH_LOG=FILE make JustAccount write the command's JSON report and append its statement log; one that
 * cannot be opened makes JustAccount answer false with nothing changed. All are read at each call.
 *
 * Ownership: every object handed out (factory, object, connection) carries one reference that the receiver
 * releases with Release. Strings passed in belong to the caller and are copied; strings in results belong to
 * the object (valid until its next Invoke or last Release). Result codes: TV_S_OK on success; the TV_E_*,
 * TV_DISP_E_*, TV_CLASS_E_* codes below otherwise, with excepInfo filled when given. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t TvResult;

#define TV_S_OK ((TvResult)0)
#define TV_S_FALSE ((TvResult)1)
#define TV_E_UNEXPECTED ((TvResult)0x8000FFFFu)
#define TV_E_NOINTERFACE ((TvResult)0x80004002u)
#define TV_E_POINTER ((TvResult)0x80004003u)
#define TV_E_OUTOFMEMORY ((TvResult)0x8007000Eu)
#define TV_E_INVALIDARG ((TvResult)0x80070057u)
#define TV_DISP_E_MEMBERNOTFOUND ((TvResult)0x80020003u)
#define TV_DISP_E_TYPEMISMATCH ((TvResult)0x80020005u)
#define TV_DISP_E_UNKNOWNNAME ((TvResult)0x80020006u)
#define TV_DISP_E_BADVARTYPE ((TvResult)0x80020008u)
#define TV_DISP_E_EXCEPTION ((TvResult)0x80020009u)
#define TV_DISP_E_OVERFLOW ((TvResult)0x8002000Au)
#define TV_DISP_E_BADPARAMCOUNT ((TvResult)0x8002000Eu)
#define TV_CLASS_E_NOAGGREGATION ((TvResult)0x80040110u)
#define TV_CLASS_E_CLASSNOTAVAILABLE ((TvResult)0x80040111u)
#define TV_SELFREG_E_CLASS ((TvResult)0x80040201u)
#define TV_RPC_E_WRONG_THREAD ((TvResult)0x8001010Eu)

/* Dispatch id given for a name that is not known. */
#define TV_DISPID_UNKNOWN ((int32_t)-1)

typedef struct TvGuid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
} TvGuid;

/* Variant tags. TV_VT_BYREF combined with a base tag means `byref` points at a value of that tag's type
 * (int16_t, int32_t, double, const char*, TvConnection*); the callee reads it and never writes it back. */
enum {
    TV_VT_EMPTY = 0,
    TV_VT_NULL = 1,
    TV_VT_I2 = 2,
    TV_VT_I4 = 3,
    TV_VT_R8 = 5,
    TV_VT_DATE = 7,
    TV_VT_STRING = 8,
    TV_VT_CONNECTION = 9,
    TV_VT_BOOL = 11,
    TV_VT_BYREF = 0x4000
};

typedef struct TvConnection TvConnection;

/* A tagged value. Strings are UTF-8 and belong to whoever made the variant: the caller for arguments, the
 * dispatch object for results (valid until its next Invoke or last Release). A null string is the empty text.
 * A connection result carries one reference that the caller releases; a null connection is "Nothing".
 * Booleans are -1 (true) and 0 (false); dates count days from 1899-12-30. */
typedef struct TvVariant {
    uint16_t vt;
    union {
        int16_t i2;
        int32_t i4;
        double r8;
        double date;
        int16_t boolean;
        const char* str;
        TvConnection* conn;
        void* byref;
    } u;
} TvVariant;

/* What went wrong in a failed Invoke: the result code and a UTF-8 description, cut to fit. */
typedef struct TvExcepInfo {
    TvResult code;
    char source[64];
    char description[512];
} TvExcepInfo;

typedef struct TvDispatch TvDispatch;
typedef struct TvClassFactory TvClassFactory;

typedef struct TvDispatchVtbl {
    TvResult (*QueryInterface)(TvDispatch* self, const TvGuid* iid, void** out);
    uint32_t (*AddRef)(TvDispatch* self);
    uint32_t (*Release)(TvDispatch* self);
    /* names[0] is a member (compared without regard to case), names[1..] its parameters. */
    TvResult (*GetIDsOfNames)(TvDispatch* self, const char* const* names, uint32_t count, int32_t* ids);
    /* args are in declared order (first parameter first). result may be null; excepInfo and argErr are
     * filled on failure when given. */
    TvResult (*Invoke)(TvDispatch* self, int32_t dispId, const TvVariant* args, uint32_t argCount,
                       TvVariant* result, TvExcepInfo* excepInfo, uint32_t* argErr);
} TvDispatchVtbl;

struct TvDispatch {
    const TvDispatchVtbl* lpVtbl;
};

typedef struct TvClassFactoryVtbl {
    TvResult (*QueryInterface)(TvClassFactory* self, const TvGuid* iid, void** out);
    uint32_t (*AddRef)(TvClassFactory* self);
    uint32_t (*Release)(TvClassFactory* self);
    /* outer must be null (no aggregation); out receives the new object's interface `iid`. */
    TvResult (*CreateInstance)(TvClassFactory* self, void* outer, const TvGuid* iid, void** out);
    /* A non-zero lock keeps the library loaded until the matching zero. */
    TvResult (*LockServer)(TvClassFactory* self, int32_t lock);
    /* A connection object holding `connectionString`, with one reference that the caller releases. */
    TvResult (*CreateConnection)(TvClassFactory* self, const char* connectionString, TvConnection** out);
} TvClassFactoryVtbl;

struct TvClassFactory {
    const TvClassFactoryVtbl* lpVtbl;
};

typedef struct TvConnectionVtbl {
    TvResult (*QueryInterface)(TvConnection* self, const TvGuid* iid, void** out);
    uint32_t (*AddRef)(TvConnection* self);
    uint32_t (*Release)(TvConnection* self);
    /* The connection string, valid while the connection lives and is not changed. */
    const char* (*ConnectionString)(TvConnection* self);
} TvConnectionVtbl;

struct TvConnection {
    const TvConnectionVtbl* lpVtbl;
};

/* The four exports of TARVENISH.so. */
typedef TvResult (*TvDllGetClassObjectFn)(const TvGuid* clsid, const TvGuid* iid, void** out);
typedef TvResult (*TvDllCanUnloadNowFn)(void);
typedef TvResult (*TvDllRegisterServerFn)(void);
typedef TvResult (*TvDllUnregisterServerFn)(void);

/* Identities, as initialisers: const TvGuid clsid = TV_CLSID_JustAccount; */
#define TV_CLSID_JustAccount                                       \
    {                                                              \
        0x717201C8u, 0x1C85u, 0x4324u, {                           \
            0xACu, 0xDDu, 0x25u, 0xC0u, 0x97u, 0x5Fu, 0x6Au, 0x5Eu \
        }                                                          \
    }
#define TV_IID_JustAccount                                         \
    {                                                              \
        0x94C3B60Eu, 0x3CF8u, 0x49F1u, {                           \
            0x88u, 0xA0u, 0x4Du, 0xD8u, 0x5Eu, 0xF0u, 0x76u, 0xC0u \
        }                                                          \
    }
#define TV_IID_IUnknown                                            \
    {                                                              \
        0x00000000u, 0x0000u, 0x0000u, {                           \
            0xC0u, 0x00u, 0x00u, 0x00u, 0x00u, 0x00u, 0x00u, 0x46u \
        }                                                          \
    }
#define TV_IID_IDispatch                                           \
    {                                                              \
        0x00020400u, 0x0000u, 0x0000u, {                           \
            0xC0u, 0x00u, 0x00u, 0x00u, 0x00u, 0x00u, 0x00u, 0x46u \
        }                                                          \
    }
#define TV_IID_IClassFactory                                       \
    {                                                              \
        0x00000001u, 0x0000u, 0x0000u, {                           \
            0xC0u, 0x00u, 0x00u, 0x00u, 0x00u, 0x00u, 0x00u, 0x46u \
        }                                                          \
    }
#define TV_IID_Connection                                          \
    {                                                              \
        0x64961D2Cu, 0x68A0u, 0x47F3u, {                           \
            0xB0u, 0x3Au, 0x02u, 0xF9u, 0x2Fu, 0xE8u, 0x9Cu, 0xDDu \
        }                                                          \
    }

/* Dispatch ids of the members of _JustAccount. */
#define TV_DISPID_JustAccount ((int32_t)0x60030000)
#define TV_DISPID_init ((int32_t)0x60030001)
#define TV_DISPID_IFIAstart ((int32_t)0x60030002)
#define TV_DISPID_IFEnd ((int32_t)0x60030003)

#ifdef __cplusplus
}
#endif

#endif /* TARVENISH_AUTOMATION_H */
