#pragma once
// Small text routines of the updater: remote-connection parameters, list captions, the backup
// folder name and the download address of the second server.
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace updater {

// Pairs of hex digits to characters; a pair that is no hex number discards what was built so far.
QString HexToText(const QString &text);
// Host part of an address such as http://192.0.2.10:8080/x.
QString HostOfUrl(const QString &url);
// GetStringList, except that a text without the separator is the one untrimmed item.
QStringList SplitText(QChar separator, const QString &text, int mode);
// Row caption k (from 1) of the news list: "01" ... "09", then "10", "11" ...
QString NewsRowCaption(int k);
// Name of one dated backup folder: date and time with ":" (and anything a folder name may
// not hold) replaced by "-".
QString BackupFolderName(const QDateTime &when);
// The package address taken out of the second server's link page.
QString Server2LinkFromPage(const QString &page);
// "Ver"-prefixed installed version, first dialect letter, installation number, customer and
// code: the query of the notice page.
QString NoticePageQuery(const QString &installedVersion, const QString &dialect);

} // namespace updater
