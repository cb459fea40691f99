#ifndef TARVENISH_PLATFORM_AUTOMATION_COM_ABI_H
#define TARVENISH_PLATFORM_AUTOMATION_COM_ABI_H
/* The binary surface of the in-process server: plain C structs and function-pointer tables, usable by a host
 * that loads TARVENISH.so with dlopen. No C++ type crosses it. */

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

#ifdef __cplusplus
}
#endif

#endif /* TARVENISH_PLATFORM_AUTOMATION_COM_ABI_H */
