#include "mailmessage.h"

#include "core/config.h"
#include "core/wageerror.h"

#include <QUuid>

namespace smtpnote {
namespace {

bool isPlainHeaderText(const QString &text)
{
    if (text.size() > 900 || text.contains(QLatin1String("=?")))
        return false;
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

// Commas inside quotes or angle brackets do not separate addresses.
QStringList splitAddressItems(const QString &text)
{
    QStringList items;
    QString current;
    bool quoted = false;
    int angle = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == QLatin1Char('\\') && i + 1 < text.size()) {
            current += c;
            current += text.at(++i);
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('<'))
            ++angle;
        else if (!quoted && c == QLatin1Char('>') && angle > 0)
            --angle;
        if (c == QLatin1Char(',') && !quoted && angle == 0) {
            items << current;
            current.clear();
        } else {
            current += c;
        }
    }
    items << current;
    return items;
}

QString unquote(const QString &name)
{
    QString n = name.trimmed();
    if (n.size() >= 2 && n.startsWith(QLatin1Char('"')) && n.endsWith(QLatin1Char('"'))) {
        n = n.mid(1, n.size() - 2);
        QString out;
        for (int i = 0; i < n.size(); ++i) {
            if (n.at(i) == QLatin1Char('\\') && i + 1 < n.size())
                ++i;
            out += n.at(i);
        }
        return out;
    }
    return n;
}

void checkAddress(const QString &address, const QString &item)
{
    bool ok = !address.isEmpty();
    for (QChar c : address) {
        const ushort u = c.unicode();
        if (u <= 0x20 || u == 0x7f || c == QLatin1Char('<') || c == QLatin1Char('>')
            || c == QLatin1Char(',') || c == QLatin1Char('"'))
            ok = false;
    }
    if (!ok)
        throw WageError(QStringLiteral("邮件地址“%1”无效").arg(item.trimmed()));
}

QByteArray renderAddress(const MailAddress &a)
{
    const QByteArray addr = a.address.toUtf8();
    if (a.name.isEmpty())
        return addr;
    QByteArray name;
    if (isPlainHeaderText(a.name)) {
        QString escaped = a.name;
        escaped.replace(QLatin1String("\\"), QLatin1String("\\\\"));
        escaped.replace(QLatin1String("\""), QLatin1String("\\\""));
        name = '"' + escaped.toLatin1() + '"';
    } else {
        name = EncodeHeaderText(a.name);
    }
    return name + " <" + addr + '>';
}

QByteArray renderAddressList(const QVector<MailAddress> &list)
{
    QByteArray out;
    for (const MailAddress &a : list) {
        if (!out.isEmpty())
            out += ",\r\n ";
        out += renderAddress(a);
    }
    return out;
}

QByteArray canonicalLines(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.toUtf8();
}

QByteArray base64Lines(const QByteArray &bytes)
{
    const QByteArray b64 = bytes.toBase64();
    QByteArray out;
    for (int i = 0; i < b64.size(); i += 76)
        out += b64.mid(i, 76) + "\r\n";
    return out;
}

QByteArray messageIdDomain(const QString &address)
{
    const int at = address.lastIndexOf(QLatin1Char('@'));
    const QString domain = at >= 0 ? address.mid(at + 1) : QString();
    for (QChar c : domain)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('.') && c != QLatin1Char('-'))
            return "localhost";
    return domain.isEmpty() ? QByteArray("localhost") : domain.toLatin1();
}

} // namespace

QVector<MailAddress> ParseAddressList(const QString &text)
{
    QVector<MailAddress> list;
    for (const QString &raw : splitAddressItems(text)) {
        const QString item = raw.trimmed();
        if (item.isEmpty())
            continue;
        MailAddress a;
        const int open = item.lastIndexOf(QLatin1Char('<'));
        if (open >= 0 && item.endsWith(QLatin1Char('>'))) {
            a.address = item.mid(open + 1, item.size() - open - 2).trimmed();
            a.name = unquote(item.left(open));
        } else {
            a.address = item;
        }
        checkAddress(a.address, item);
        for (QChar c : a.name)
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                throw WageError(QStringLiteral("邮件地址“%1”无效").arg(item));
        list << a;
    }
    return list;
}

MailMessage LoadMessage(const QString &subject, const QString &body, const QString &recipients,
                        const QString &fromAddress)
{
    MailMessage m;
    m.body = body;
    const QVector<MailAddress> senders = ParseAddressList(fromAddress);
    m.from = senders.isEmpty() ? ParseAddressList(wage::VendorConfig::mailFrom()).value(0) : senders.first();
    if (m.from.address.isEmpty())
        throw WageError(QStringLiteral("没有发件人地址"));
    m.recipients = ParseAddressList(recipients);
    if (m.recipients.isEmpty())
        m.recipients = ParseAddressList(wage::VendorConfig::mailFrom());
    if (m.recipients.isEmpty())
        throw WageError(QStringLiteral("没有收件人地址"));
    m.replyTo = senders;
    m.subject = subject;
    return m;
}

QByteArray EncodeHeaderText(const QString &text)
{
    if (isPlainHeaderText(text))
        return text.toLatin1();
    // Lines that carry encoded words stay within 76 characters, "Subject: " included:
    // "=?UTF-8?B?" + at most 52 base64 characters (39 bytes) + "?=".
    QByteArray out;
    QByteArray chunk;
    auto flush = [&] {
        if (chunk.isEmpty())
            return;
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    for (int i = 0; i < text.size(); ++i) {
        QString ch = text.at(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            ch += text.at(++i);
        const QByteArray bytes = ch.toUtf8();
        if (chunk.size() + bytes.size() > 39)
            flush();
        chunk += bytes;
    }
    flush();
    return out;
}

QByteArray ComposeMessage(const MailMessage &m, const QDateTime &date)
{
    QByteArray h;
    h += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    h += "From: " + renderAddress(m.from) + "\r\n";
    if (!m.replyTo.isEmpty())
        h += "Reply-To: " + renderAddressList(m.replyTo) + "\r\n";
    h += "To: " + renderAddressList(m.recipients) + "\r\n";
    h += "Subject: " + EncodeHeaderText(m.subject) + "\r\n";
    h += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '@'
        + messageIdDomain(m.from.address) + ">\r\n";
    h += "MIME-Version: 1.0\r\n";
    h += "Content-Type: text/plain; charset=UTF-8\r\n";
    h += "Content-Transfer-Encoding: base64\r\n";
    return h + "\r\n" + base64Lines(canonicalLines(m.body));
}

} // namespace smtpnote
