#pragma once
// A wage database with demonstration data, made in-process: for the tool, the tests, the
// benchmarks, the demo and the host stand-in.
#include "db/connection.h"

#include <QDate>

namespace wage {

struct DemoSize {
    int products = 6;          // each with four to six processes, the last marked "是"
    int workers = 30;
    int orders = 8;            // each with one to three lines
    int linesPerOrder = 0;     // 0: one to three; else exactly this many (distinct products while
                               // there are enough)
    int processesPerProduct = 0;   // 0: four to six; else exactly this many (2 to 9)
    int months = 3;            // piece records over this many months up to lastDay
    int pieceRecords = -1;     // -1: about two a worker and working day; else exactly this many
    int outputRecords = 40;    // records of f_juar
    quint32 seed = 20261209;   // the same seed gives the same data
    QDate lastDay = QDate::currentDate();
    bool withDeptName = true;
};

// Creates the host tables on an open connection (its dialect must be `dialect`) and fills them.
// Runs in one transaction; piece records are inserted through one prepared statement.
void createWageDatabase(Connection *connection, Dialect dialect, const DemoSize &size = {});

// Appends `count` further piece records built from the products, workers and orders present.
int addPieceRecords(Connection *connection, int count, quint32 seed, const QDate &lastDay, int months);

} // namespace wage
