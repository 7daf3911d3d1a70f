#pragma once
// The host's data module: the open wage database as "adoconnection1".
#include "db/connection.h"

#include <QObject>

namespace host {

class TDataModule1 : public QObject {
    Q_OBJECT
public:
    explicit TDataModule1(QObject *parent = nullptr);
    // The database that "connectionstr" and "datapath" of Usertem.ini name; DbError on failure.
    void openFromIni();
    // Fills an empty database with the demonstration data; false when it already holds the
    // host's tables (nothing is touched) or this build has no demonstration data.
    bool createDemoDatabase();
    wage::Connection *ADOConnection1;
};

} // namespace host
