#pragma once
// The message object of one call: addresses, reply-to list, subject and body, and its
// Internet form (MIME headers with RFC 2047 words, UTF-8 body in base64).
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

namespace smtpnote {

struct MailAddress {
    QString name;     // display name, may be empty
    QString address;  // the addr-spec the envelope uses
};

struct MailMessage {
    MailAddress from;
    QVector<MailAddress> recipients;
    QVector<MailAddress> replyTo;
    QString subject;
    QString body;
};

// "a@x, Name <b@y>, \"Last, First\" <c@z>": empty items are skipped. Raises WageError for an
// address that could smuggle a line break or a second address into the envelope.
QVector<MailAddress> ParseAddressList(const QString &text);

// Sender and recipients from the arguments or the installation's default address; the
// reply-to list is FromAddress as given (none when it is empty).
MailMessage LoadMessage(const QString &subject, const QString &body, const QString &recipients,
                        const QString &fromAddress);

// The message as it goes after DATA, CR LF line ends throughout.
QByteArray ComposeMessage(const MailMessage &message, const QDateTime &date);

// A header text as RFC 2047 "B" words of at most 75 characters, folded between words; plain
// printable ASCII stays as it is.
QByteArray EncodeHeaderText(const QString &text);

} // namespace smtpnote
