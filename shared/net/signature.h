#pragma once
// Signed updates: SHA-256 of package files and Ed25519 signatures of manifests, through
// OpenSSL's EVP interface. Keys travel as base64 of their 32 raw bytes (public keys in
// Usertem.ini) or as PEM files (the vendor's private key).
#include <QByteArray>
#include <QString>

namespace wage {

// Lower-case hex SHA-256 of a file's contents; empty when the file cannot be read.
QString sha256FileHex(const QString &path);
QString sha256Hex(const QByteArray &bytes);

// True when `signatureBase64` is a valid Ed25519 signature of exactly `message` by the key
// whose 32 raw bytes `publicKeyBase64` holds. On false, `error` says why.
bool verifyEd25519(const QString &publicKeyBase64, const QByteArray &message, const QByteArray &signatureBase64,
                   QString *error = nullptr);

// The vendor's side. A private key file holds a PEM key (PKCS#8, as "openssl genpkey -algorithm
// ed25519" writes it), its 32 raw bytes, or those bytes in base64.
struct Ed25519KeyPair {
    QByteArray privatePem;     // PKCS#8 PEM
    QString publicKeyBase64;   // the value of UpdateKey
};
Ed25519KeyPair generateEd25519KeyPair();
// The base64 signature of `message`; empty (with `error`) when the key cannot be read.
QByteArray signEd25519(const QByteArray &privateKeyFile, const QByteArray &message, QString *error = nullptr);
// The public key (base64 of its raw bytes) of a private key file; empty when unreadable.
QString publicKeyOf(const QByteArray &privateKeyFile);

} // namespace wage
