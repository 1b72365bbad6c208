#include "SheetGenerator.h"

#include "editors/SeriesDates.h"
#include "platform/database/SqlFunctions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sqlite3.h>

#include <cstdio>
#include <random>

namespace benchdata {

namespace {

const char *const Surnames[] = {
    "Rossi", "Bianchi", "Verdi", "Esposito", "Romano", "Colombo", "Ricci", "Marino", "Greco", "Bruno",
    "Gallo", "Conti", "De Luca", "Mancini", "Costa", "Giordano", "Rizzo", "Lombardi", "Moretti", "Barbieri",
    "Fontana", "Santoro", "Mariani", "Rinaldi", "Caruso", "Ferrara", "Galli", "Martini", "Leone", "Longo",
    "Gentile", "Martinelli", "Vitale", "Lombardo", "Serra", "Coppola", "De Santis", "D'Angelo", "Marchetti",
    "Parisi", "Villa", "Conte", "Ferraro", "Fabbri", "Bianco", "Marini", "Grasso", "Valentini", "Messina",
    "Sala", "Müller", "Dubois", "García", "Lefèvre", "Schäfer", "Peña", "O'Brien", "Nuñez", "Čapek",
};
const char *const Trades[] = {
    "Forniture", "& Figli", "Design", "Ltd", "Srl", "Consulting", "Impianti", "Trasporti", "Studio",
    "Elettronica", "Costruzioni", "Servizi", "Informatica", "Assicurazioni", "Immobiliare", "Arredamenti",
};
const char *const Counts[] = {
    "Bank", "Cash", "Credit card", "Post office account", "Second bank", "Petty cash box", "Savings account",
    "Company card", "Online payments", "Cheques", "Foreign account", "Deposit account", "Prepaid card",
    "Trade account", "Loan account", "Leasing", "Mortgage account", "Tax account", "Payroll account", "Reserve",
};
const char *const Words[] = {
    "invoice", "payment", "supplies", "fee", "service", "repair", "transport", "consulting", "rent", "office",
    "electricity", "water", "telephone", "internet", "insurance", "maintenance", "software", "licence",
    "advertising", "training", "travel", "fuel", "parking", "stationery", "cleaning", "security", "taxes",
    "VAT", "salary", "bonus", "refund", "deposit", "instalment", "loan", "lease", "shipment", "order",
    "quarter", "annual", "monthly", "spring", "autumn", "warehouse", "client", "supplier", "meeting",
    "review", "audit", "contract", "renewal", "caffè", "società", "università", "città", "attività", "più",
};
const char *const Cadences = "dw2mbs4qy";

class Generator
{
public:
    Generator(sqlite3 *db, const QDate &today) : m_db(db), m_today(today), m_rng(20250315) {}

    void run(int rows)
    {
        exec("BEGIN");
        accounts();
        counts();
        exec("INSERT INTO Dbs (DbId, DbName) VALUES (2, 'Second sheet')");
        prepareRow();
        sheet(1, rows);
        sheet(2, rows / 10);
        sqlite3_finalize(m_insert);
        exec("COMMIT");
    }

private:
    void exec(const char *sql)
    {
        char *error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK)
            qFatal("generator: %s: %s", sql, error ? error : "");
    }

    int uniform(int from, int to) { return std::uniform_int_distribution<int>(from, to)(m_rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }

    // Words up to a length between min and max characters.
    QByteArray text(int min, int max)
    {
        const int target = uniform(min, max);
        QByteArray out;
        while (out.size() < target) {
            QByteArray w = Words[uniform(0, int(std::size(Words)) - 1)];
            if (out.isEmpty())
                w[0] = char(QChar::toUpper(uint(uchar(w[0]))));
            if (!out.isEmpty())
                out += ' ';
            out += w;
            if (chance(0.2))
                out += ' ' + QByteArray::number(uniform(1, 9999));
        }
        // Cut on a character boundary (the words hold a few two-byte letters).
        int cut = int(qMin<qsizetype>(out.size(), max));
        while (cut > 0 && (uchar(out[cut]) & 0xC0) == 0x80)
            --cut;
        return out.left(cut).trimmed();
    }

    void accounts()
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(m_db, "INSERT INTO Accounts (AcName, AcNotes) VALUES (?1, ?2)", -1, &st, nullptr);
        const int surnames = int(std::size(Surnames));
        for (int a = 0; a < kAccounts; ++a) {
            const QByteArray name = QByteArray(Surnames[a % surnames]) + ' ' + Trades[(a / surnames + a) % std::size(Trades)]
                                    + (a >= surnames * 4 ? ' ' + QByteArray::number(a) : QByteArray());
            sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            if (a % 3 == 0) {
                const QByteArray notes = text(15, 80);
                sqlite3_bind_text(st, 2, notes.constData(), int(notes.size()), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_null(st, 2);
            }
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    }

    void counts()
    {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(m_db, "INSERT INTO Counts (CnName) VALUES (?1)", -1, &st, nullptr);
        for (const char *name : Counts) {
            sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
    }

    void prepareRow()
    {
        sqlite3_prepare_v2(m_db,
                           "INSERT INTO Transactions (TrDbId, TrType, TrDone, TrDate, TrDescription, TrNotes, TrAcId, "
                           "TrValue, TrBalance, TrGrpType, TrGrpRow, TrGrpMDay, TrGrpId, TrAlertDays, TrCountId, "
                           "TrAttached, IsPN) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, "
                           "?15, ?16, ?17)",
                           -1, &m_insert, nullptr);
    }

    struct Row {
        int sheet = 1;
        int type = 1;
        bool done = false;
        QDate date;
        QByteArray description;
        int account = 0;
        qint64 value = 0;            // ten-thousandths
        char grpType = 'n';
        int grpRow = 0, grpMDay = 0, grpId = 0;
        int alertDays = 0;
        int count = 0;
        bool pn = false;
    };

    void insert(const Row &r)
    {
        sqlite3_stmt *st = m_insert;
        const QByteArray date = r.date.toString(Qt::ISODate).toLatin1();
        sqlite3_bind_int(st, 1, r.sheet);
        sqlite3_bind_int(st, 2, r.type);
        sqlite3_bind_int(st, 3, r.done ? 1 : 0);
        sqlite3_bind_text(st, 4, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 5, r.description.constData(), int(r.description.size()), SQLITE_TRANSIENT);
        if (chance(0.2)) {
            const QByteArray notes = text(20, 100);
            sqlite3_bind_text(st, 6, notes.constData(), int(notes.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(st, 6);
        }
        sqlite3_bind_int(st, 7, r.account);
        sqlite3_bind_int64(st, 8, r.value);
        sqlite3_bind_int64(st, 9, r.type == -2 ? 0 : r.value * r.type);
        const char grp[2] = {r.grpType, 0};
        sqlite3_bind_text(st, 10, grp, 1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 11, r.grpRow);
        sqlite3_bind_int(st, 12, r.grpMDay);
        sqlite3_bind_int(st, 13, r.grpId);
        sqlite3_bind_int(st, 14, r.alertDays);
        sqlite3_bind_int(st, 15, r.count);
        if (chance(0.02)) {
            const QByteArray attached = "20240101" + QByteArray::number(uniform(100000, 999999)) + ".pdf";
            sqlite3_bind_text(st, 16, attached.constData(), int(attached.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(st, 16);
        }
        sqlite3_bind_int(st, 17, r.pn ? 1 : 0);
        if (sqlite3_step(st) != SQLITE_DONE)
            qFatal("generator: %s", sqlite3_errmsg(m_db));
        sqlite3_reset(st);
    }

    // Ten years around today: seven back, three ahead.
    QDate someDate() { return m_today.addDays(uniform(-7 * 365, 3 * 365)); }

    // A deadline is closed mostly when its date has passed.
    bool closedOn(const QDate &d) { return chance(d < m_today ? 0.92 : 0.03); }

    Row deadline(int sheet)
    {
        Row r;
        r.sheet = sheet;
        const int kind = uniform(0, 99);
        r.type = kind < 40 ? -1 : (kind < 80 ? 1 : -2);
        r.description = text(20, 60);
        r.account = chance(0.9) ? uniform(1, kAccounts) : 0;
        r.value = r.type == -2 ? 0 : qint64(uniform(500, 500000)) * 100;
        r.alertDays = uniform(0, 10);
        r.count = r.type == -2 ? 0 : uniform(1, kCounts);
        return r;
    }

    void sheet(int sheet, int rows)
    {
        int written = 0;
        while (written < rows) {
            // Cash-book movements: closed, an income or an expense, dated up to today.
            if (chance(0.15)) {
                Row r;
                r.sheet = sheet;
                r.pn = true;
                r.done = true;
                r.type = chance(0.6) ? -1 : 1;
                r.date = m_today.addDays(-uniform(0, 10 * 365 - 1));
                r.description = text(20, 60);
                r.account = chance(0.6) ? uniform(1, kAccounts) : 0;
                r.value = qint64(uniform(100, 200000)) * 100;
                r.count = uniform(1, kCounts);
                insert(r);
                ++written;
                continue;
            }
            Row r = deadline(sheet);
            // One start in 27 is a series of 13 rows on average: a third of the deadlines.
            if (!chance(1.0 / 27)) {
                r.date = someDate();
                r.done = closedOn(r.date);
                insert(r);
                ++written;
                continue;
            }
            const int n = qMin(uniform(2, 24), rows - written);
            const int cadence = uniform(0, SeriesDates::CadenceCount - 1);
            const QVector<QDate> dates = SeriesDates::seriesDates(someDate(), cadence, n);
            r.grpType = Cadences[cadence];
            r.grpMDay = n;
            r.grpId = ++m_series;
            for (int k = 0; k < n; ++k) {
                r.grpRow = k + 1;
                r.date = dates[k];
                r.done = closedOn(r.date);
                insert(r);
            }
            written += n;
        }
    }

    sqlite3 *m_db;
    QDate m_today;
    std::mt19937_64 m_rng;
    sqlite3_stmt *m_insert = nullptr;
    int m_series = 0;
};

// Bumped whenever the generator makes other rows.
constexpr int kGeneratorVersion = 1;

// A hash of the template the files are made from and of the generator's version: a change to either makes
// new files.
QByteArray inputsHash()
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    QFile f(templateFile());
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(f.fileName()));
    h.addData(f.readAll());
    h.addData(QByteArray::number(kGeneratorVersion));
    return h.result().toHex().left(12);
}

} // namespace

void generateSheets(const QString &dbFile, int rows, const QDate &today)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(dbFile).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        qFatal("generator: cannot open %s", qPrintable(dbFile));
    platform::registerSqlFunctions(db);
    Generator(db, today).run(rows);
    sqlite3_close(db);
}

QString benchDatabase(int rows)
{
    const QString folder = QStringLiteral(ORVEL_BENCH_DATA);
    const QString file = folder + QStringLiteral("/orvel3-%1-%2.mdb").arg(rows).arg(QString::fromLatin1(inputsHash()));
    // Readable by all: the benchmarks may run the program as another user.
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (QFileInfo::exists(file)) {
        QFile::setPermissions(file, readable);
        return file;
    }
    QDir().mkpath(folder);
    std::fprintf(stderr, "Generating %s ...\n", qPrintable(file));
    QElapsedTimer t;
    t.start();
    const QString partial = file + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(templateFile(), partial))
        qFatal("cannot copy the template to %s", qPrintable(partial));
    QFile(partial).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    generateSheets(partial, rows);
    QFile::setPermissions(partial, readable);
    if (!QFile::rename(partial, file))
        qFatal("cannot write %s", qPrintable(file));
    std::fprintf(stderr, "... generated in %lld ms\n", static_cast<long long>(t.elapsed()));
    return file;
}

QString programFolder()
{
    const QString folder = qEnvironmentVariable("ORVEL_BENCH_BIN_DIR");
    return folder.isEmpty() ? QStringLiteral(ORVEL_BIN_DIR) : folder;
}

QString templateFile()
{
    return programFolder() + QStringLiteral("/master.gen");
}

QString sizeName(int rows)
{
    if (rows >= 1000000 && rows % 1000000 == 0)
        return QStringLiteral("%1M").arg(rows / 1000000);
    if (rows >= 1000 && rows % 1000 == 0)
        return QStringLiteral("%1k").arg(rows / 1000);
    return QString::number(rows);
}

} // namespace benchdata
