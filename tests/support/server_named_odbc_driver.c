/* An ODBC driver for the tests: the SQLite ODBC driver in everything but the name it gives its database.
 * It says TARVENISH_DBMS_NAME ("Microsoft SQL Server", "ACCESS"), so that the component takes the path of a
 * database server or a desktop file (texts sent as built, their refusals) while SQLite keeps the rows. Every other function is the SQLite driver's own,
 * found through this module's dependency on it. */

#include <dlfcn.h>
#include <string.h>

#include <sql.h>
#include <sqlext.h>

typedef SQLRETURN (*GetInfoFn)(SQLHDBC, SQLUSMALLINT, SQLPOINTER, SQLSMALLINT, SQLSMALLINT*);

SQLRETURN SQL_API SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT size,
                             SQLSMALLINT* length) {
    if (type == SQL_DBMS_NAME) {
        static const char kName[] = TARVENISH_DBMS_NAME;
        if (value && size > 0) {
            strncpy((char*)value, kName, (size_t)size - 1);
            ((char*)value)[size - 1] = '\0';
        }
        if (length) *length = (SQLSMALLINT)(sizeof kName - 1);
        return SQL_SUCCESS;
    }
    /* The driver this module depends on is already loaded: RTLD_NOLOAD only finds it. */
    void* driver = dlopen(TARVENISH_SQLITE_ODBC_DRIVER, RTLD_NOW | RTLD_NOLOAD);
    GetInfoFn real = NULL;
    if (driver) *(void**)&real = dlsym(driver, "SQLGetInfo");
    const SQLRETURN rc = real ? real(dbc, type, value, size, length) : SQL_ERROR;
    if (driver) dlclose(driver);
    return rc;
}
