#pragma once
// The ten arguments of SendMess and the client settings resolved from them, with the
// installation's defaults for every empty argument.
#include <QString>

namespace smtpnote {

struct MailArgs {
    QString subject;
    QString body;
    QString recipients;   // comma-separated
    QString fromAddress;  // sender and, unchanged, the reply-to list
    QString host;
    QString userName;
    QString password;
    QString port;         // decimal text
};

struct MailSettings {
    QString userName;
    QString password;
    QString host;
    int port = 25;
};

inline constexpr int kDefaultPort = 25;

// User name, password, host and port in this order; an empty password is fetched from the
// vendor's web server. Raises WageError when the port is not a decimal number from 1 to 65535,
// before anything connects.
MailSettings ResolveSettings(const MailArgs &args);

// The port of an empty Port argument: [vendor] MailPort when an installation sets one, else 25.
int DefaultPort();
// Raises WageError for anything but a decimal number from 1 to 65535 (blanks around allowed).
int ParsePort(const QString &text);

} // namespace smtpnote
