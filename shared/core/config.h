#pragma once
// The installation's configuration: the dialect, the Access connection string, and the values
// "to be configured" of the vendor, each with its compiled-in default.
#include <QString>

// "ACCESS" or "MSSQL" (other words pass upper-cased) from "connectionstr" of Usertem.ini.
QString GetConType();

namespace wage {

inline constexpr const char *kUserIni = "Usertem.ini";
inline constexpr const char *kMainSection = "main Position";
inline constexpr const char *kAccessPassword = "PxLane!5@7#9qtr";
inline constexpr const char *kDefaultAccessFile = "f_data.mdb";

// Provider=...;Data Source=<path>;Jet OLEDB:Database Password="<password>"
QString AccessConnectionString(const QString &databasePath = QString::fromLatin1(kDefaultAccessFile));

// Section "vendor" of Usertem.ini; every key has a compiled-in default used when it is missing.
struct VendorConfig {
    static QString baseUrl();          // ends in "/"
    static QString supportContact();
    static QString customerName();
    static QString installNo();
    static QString installCode();
    static QString ipEchoUrl(int n);   // n = 1..4
    static QString mailHost();
    static QString mailUser();
    static QString mailFrom();
    // The vendor's Ed25519 public key (base64 of its 32 raw bytes) that manifests must be
    // signed with; empty: no signature check.
    static QString updateKey();
    // The raw value of a key, or its default.
    static QString value(const QString &key);
    static QString defaultValue(const QString &key);
};

} // namespace wage
