/* smtpnote.dll: sends one plain-text message over SMTP with LOGIN authentication.
 * Every text is GBK, NUL terminated; NULL counts as empty. Result 1 when the server took the
 * message, 0 otherwise (the reason of a failure other than the connection or the login is
 * appended to Error.Log in the program directory). */
#ifndef SMTPNOTE_H
#define SMTPNOTE_H

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned char (*SendMessProc)(const char *Subject, const char *Body, const char *Recipients,
                                      const char *Spare1, const char *Spare2, const char *FromAddress,
                                      const char *Host, const char *UserName, const char *Password,
                                      const char *Port);

#ifdef SMTPNOTE_BUILD
__attribute__((visibility("default")))
unsigned char SendMess(const char *Subject, const char *Body, const char *Recipients,
                       const char *Spare1, const char *Spare2, const char *FromAddress,
                       const char *Host, const char *UserName, const char *Password,
                       const char *Port);
#endif

#ifdef __cplusplus
}
#endif

#endif
