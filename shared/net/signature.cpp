#include "net/signature.h"

#include <QFile>

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

namespace wage {
namespace {

struct PkeyFree {
    void operator()(EVP_PKEY *k) const { EVP_PKEY_free(k); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX *c) const { EVP_MD_CTX_free(c); }
};
struct BioFree {
    void operator()(BIO *b) const { BIO_free(b); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

Pkey privateKeyFrom(const QByteArray &file)
{
    std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(file.constData(), int(file.size())));
    if (bio) {
        Pkey key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
        if (key && EVP_PKEY_id(key.get()) == EVP_PKEY_ED25519)
            return key;
    }
    QByteArray raw = file;
    if (raw.size() != 32)
        raw = QByteArray::fromBase64(file.trimmed());
    if (raw.size() != 32)
        return nullptr;
    return Pkey(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr,
                                             reinterpret_cast<const unsigned char *>(raw.constData()), 32));
}

QString publicBase64(EVP_PKEY *key)
{
    unsigned char raw[32];
    size_t length = sizeof raw;
    if (EVP_PKEY_get_raw_public_key(key, raw, &length) != 1 || length != 32)
        return QString();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(raw), 32).toBase64());
}

} // namespace

QString sha256Hex(const QByteArray &bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &length, EVP_sha256(), nullptr) != 1)
        return QString();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}

QString sha256FileHex(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    MdCtx ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
        return QString();
    QByteArray buffer(1 << 18, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(buffer.data(), buffer.size());
        if (n < 0)
            return QString();
        if (n == 0)
            break;
        if (EVP_DigestUpdate(ctx.get(), buffer.constData(), size_t(n)) != 1)
            return QString();
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1)
        return QString();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}

bool verifyEd25519(const QString &publicKeyBase64, const QByteArray &message, const QByteArray &signatureBase64,
                   QString *error)
{
    const QByteArray raw = QByteArray::fromBase64(publicKeyBase64.trimmed().toLatin1());
    if (raw.size() != 32)
        return fail(error, QStringLiteral("升级公钥无效（应为32字节的base64）"));
    Pkey key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char *>(raw.constData()),
                                         size_t(raw.size())));
    if (!key)
        return fail(error, QStringLiteral("升级公钥无效"));
    const QByteArray signature = QByteArray::fromBase64(signatureBase64.trimmed());
    if (signature.size() != 64)
        return fail(error, QStringLiteral("签名格式无效"));
    MdCtx ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return fail(error, QStringLiteral("无法校验签名"));
    if (EVP_DigestVerify(ctx.get(), reinterpret_cast<const unsigned char *>(signature.constData()), size_t(signature.size()),
                         reinterpret_cast<const unsigned char *>(message.constData()), size_t(message.size()))
        != 1)
        return fail(error, QStringLiteral("签名与内容不符"));
    return true;
}

Ed25519KeyPair generateEd25519KeyPair()
{
    Ed25519KeyPair pair;
    EVP_PKEY *raw = nullptr;
    std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> ctx(EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr),
                                                                    EVP_PKEY_CTX_free);
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 || EVP_PKEY_keygen(ctx.get(), &raw) != 1)
        return pair;
    Pkey key(raw);
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return pair;
    char *data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    pair.privatePem = QByteArray(data, int(length));
    pair.publicKeyBase64 = publicBase64(key.get());
    return pair;
}

QByteArray signEd25519(const QByteArray &privateKeyFile, const QByteArray &message, QString *error)
{
    Pkey key = privateKeyFrom(privateKeyFile);
    if (!key) {
        fail(error, QStringLiteral("无法读取Ed25519私钥"));
        return QByteArray();
    }
    MdCtx ctx(EVP_MD_CTX_new());
    unsigned char signature[64];
    size_t length = sizeof signature;
    if (!ctx || EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1
        || EVP_DigestSign(ctx.get(), signature, &length, reinterpret_cast<const unsigned char *>(message.constData()),
                          size_t(message.size()))
            != 1) {
        fail(error, QStringLiteral("签名失败"));
        return QByteArray();
    }
    return QByteArray(reinterpret_cast<const char *>(signature), int(length)).toBase64();
}

QString publicKeyOf(const QByteArray &privateKeyFile)
{
    Pkey key = privateKeyFrom(privateKeyFile);
    return key ? publicBase64(key.get()) : QString();
}

} // namespace wage
