#pragma once

// Older databases for the import tests: SQLite files with the older products' tables and columns, filled
// with rows out of id order (the tool orders every table itself). This machine cannot write Jet files.

#include "platform/database/Connection.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace fixtures {

inline void exec(const QString &file, const QStringList &statements)
{
    platform::Connection cn;
    cn.Open(QStringLiteral("Data Source=") + file);
    for (const QString &sql : statements)
        cn.Execute(sql);
    cn.Close();
}

inline void create(const QString &file, const QString &schema)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    platform::createDatabase(file, schema);
}

// Orvel 1 and 2 share their tables; amounts are Currency or Double ("CURRENCY" / "DOUBLE"). The ids are
// plain columns, so the rows come back in the order they were added.
inline QString orvelSchema(const QString &amountType, bool withTransactions = true)
{
    QString s = QStringLiteral(
        "CREATE TABLE Dbs (DbId INTEGER, DbName VARCHAR(50));"
        "CREATE TABLE Accounts (AcId INTEGER, AcName VARCHAR(255), AcNotes LONGTEXT);");
    if (withTransactions)
        s += QStringLiteral(
                 "CREATE TABLE Transactions (TrRowId INTEGER, TrDbId INTEGER, TrType SMALLINT, TrDone YESNO,"
                 " TrDate DATETIME, TrDescription VARCHAR(255), TrNotes LONGTEXT, TrAcId INTEGER, TrValue %1,"
                 " TrBalance %1, TrGrpType VARCHAR(1), TrGrpRow SMALLINT, TrGrpMDay SMALLINT, TrGrpId INTEGER);")
                 .arg(amountType);
    return s;
}

// Three sheets, two accounts (and rows of a third that is gone), rows of a series, an appointment with
// Null texts, and rows without an account.
inline void fillOrvel(const QString &file, bool withTransactions = true)
{
    QStringList sql = {
        QStringLiteral("INSERT INTO Dbs VALUES (3, 'Studio')"),
        QStringLiteral("INSERT INTO Dbs VALUES (1, 'Casa')"),
        QStringLiteral("INSERT INTO Dbs VALUES (7, 'Archivio 2019')"),
        QStringLiteral("INSERT INTO Accounts VALUES (5, 'Rossi Srl', 'not imported')"),
        QStringLiteral("INSERT INTO Accounts VALUES (2, 'Bianchi', NULL)"),
    };
    if (withTransactions)
        sql += QStringList{
            QStringLiteral("INSERT INTO Transactions VALUES (12, 1, 1, True, #03/05/2024#, 'Fattura 12', NULL, 5,"
                           " 98765432101.2345, 98765432101.2345, 'n', 1, 1, 0)"),
            QStringLiteral("INSERT INTO Transactions VALUES (11, 1, -1, False, #02/29/2024#, 'Affitto', 'rata',"
                           " 5, 33.3333, -33.3333, 'm', 2, 3, 4)"),
            QStringLiteral("INSERT INTO Transactions VALUES (10, 1, -1, True, #01/31/2024#, 'Affitto', 'rata',"
                           " 5, 33.3333, -33.3333, 'm', 1, 3, 4)"),
            QStringLiteral("INSERT INTO Transactions VALUES (13, 3, -2, False, #04/30/2025#, NULL, NULL, 2,"
                           " 0, 0, 'n', 1, 1, 0)"),
            QStringLiteral("INSERT INTO Transactions VALUES (15, 1, 1, False, #06/01/2024#, 'Orphan', NULL, 4,"
                           " 10, 10, 'n', 1, 1, 0)"),
            QStringLiteral("INSERT INTO Transactions VALUES (14, 3, 1, True, #12/31/2023#, 'Interessi', '', 0,"
                           " 0.30000000000000004, 0.30000000000000004, 'n', 1, 1, 0)"),
            QStringLiteral("INSERT INTO Transactions VALUES (9, 7, -1, False, #01/01/2019#, 'Bollo', NULL, 0,"
                           " 25, -25, 'n', 1, 1, 0)"),
        };
    exec(file, sql);
}

inline QString makeOrvel(const QString &file, const QString &amountType)
{
    create(file, orvelSchema(amountType));
    fillOrvel(file);
    return file;
}

// The older cash-book product: counts and movements, amounts as Double.
inline QString makeQuilvaro(const QString &file)
{
    create(file, QStringLiteral(
                     "CREATE TABLE Conti (cntId INTEGER, cntNome VARCHAR(255));"
                     "CREATE TABLE Quilvaro (pnId INTEGER, pnConto INTEGER, PnEntrate DOUBLE, PnUscite DOUBLE,"
                     " PnData DATETIME, PnDescrizione VARCHAR(255));"));
    exec(file, {
        QStringLiteral("INSERT INTO Conti VALUES (4, 'Conto corrente aziendale numero 0001234567 presso la filiale"
                       " di Milano')"),
        QStringLiteral("INSERT INTO Conti VALUES (1, 'Cassa')"),
        QStringLiteral("INSERT INTO Quilvaro VALUES (21, 1, 40, 5, #01/15/2024#, 'Incasso')"),
        QStringLiteral("INSERT INTO Quilvaro VALUES (20, 1, 0, 25, #01/10/2024#, 'Cancelleria')"),
        QStringLiteral("INSERT INTO Quilvaro VALUES (24, 4, 0.1, 0, #02/02/2024 10:30:00#, 'Bonifico')"),
        QStringLiteral("INSERT INTO Quilvaro VALUES (22, 4, NULL, 12.5, #02/01/2024#, NULL)"),
        QStringLiteral("INSERT INTO Quilvaro VALUES (23, 9, 7, 0, #02/03/2024#, 'Orphan')"),
    });
    return file;
}

} // namespace fixtures
