#pragma once
// The exports of the connection component Linkcfg.dll, loaded by name for each use.
//
// Texts are GBK, NUL terminated. `connection` is the caller's wage::Connection (the object
// behind ADOConnection1); the component opens it or reads it, and never frees it.
#ifdef __cplusplus
extern "C" {
#endif

// Opens `connection` from the connection description ("connectionstr" of Usertem.ini);
// true when it is open.
typedef bool (*LinkcfgConnectTest)(const char *description, void *connection);

// Confirms the user; true to go on, false when the caller is to close. `mode` is 1 for the
// updater, `iniName` the configuration file ("USERTEM.INI").
typedef bool (*LinkcfgGetPassForm)(const char *description, void *connection, int mode,
                                   const char *userName, const char *iniName);

#ifdef __cplusplus
}
#endif

#define LINKCFG_CONNECT_TEST "ConnectTest"
#define LINKCFG_GET_PASS_FORM "GetPassForm"
