// The client wrapper against the embedded engine: exact values both ways,
// the server's errors, locks between connections, and handles that clean up.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

#include "fb/fb.h"
#include "support/FbDatabases.h"

namespace cp::test {
namespace {

using fb::Date;
using fb::Decimal;
using fb::Time;
using fb::Timestamp;
using fb::Value;

constexpr std::intptr_t kUniqueKeyViolation = 335544665;  // isc_unique_key_violation
constexpr std::intptr_t kDsqlError = 335544569;           // isc_dsql_error
constexpr std::intptr_t kIoError = 335544344;             // isc_io_error
constexpr std::intptr_t kNotValid = 335544347;            // isc_not_valid

std::string cp1252(const char* bytes) { return std::string(bytes); }

class FbWrapper : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath("shared.fdb").toStdString();
        db_ = createDatabaseFromScript(path_, "shared.sql");
    }

    fb::Attachment attachAgain() const {
        return fb::Attachment::attach(fbClient(), path_, testAttachParams());
    }

    // Inserts an installment with the given amount columns.
    void insertParcela(int codigo, const Value& valor, const Value& pago = Value{}) {
        db_.execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, VALORPARCELA, VALORPAGO) "
            "values (?, 1, 1, ?, ?)",
            {std::int64_t{codigo}, valor, pago});
    }

    QTemporaryDir dir_;
    std::string path_;
    fb::Attachment db_;
};

TEST_F(FbWrapper, MoneyAndRatesRoundTripAsExactScaledIntegers) {
    insertParcela(1, Decimal{-123456789012345, 2});  // 15 digits, negative
    insertParcela(2, Decimal{1, 2});
    insertParcela(3, Decimal{12345, 3});  // 12.345: the server rounds to the column
    insertParcela(4, std::int64_t{7});    // a whole number into a decimal column
    insertParcela(5, std::string("19.99"));

    fb::Transaction t = db_.startTransaction();
    fb::Cursor c = t.open("select VALORPARCELA from PARCELAS order by CODIGOPARC");
    std::vector<Decimal> got;
    std::vector<std::string> texts;
    while (c.fetch()) {
        got.push_back(c.asDecimal(0));
        texts.push_back(c.asText(0));
        EXPECT_EQ(c.value(0), Value{c.asDecimal(0)});
    }
    EXPECT_EQ(
        got, (std::vector<Decimal>{{-123456789012345, 2}, {1, 2}, {1235, 2}, {700, 2}, {1999, 2}}));
    EXPECT_EQ(texts,
              (std::vector<std::string>{"-1234567890123.45", "0.01", "12.35", "7.00", "19.99"}));
    c.close();

    // DECIMAL(15,8) of the work-area table keeps eight digits after the point.
    fb::Attachment ws =
        createDatabaseFromScript(dir_.filePath("ws.fdb").toStdString(), "workstation.sql");
    ws.execute("insert into PERIODO (VALORTOTAL, VALORTOTAL2) values (?, ?)",
               {Decimal{-999999912345678, 8}, Decimal{1, 8}});
    fb::Transaction wt = ws.startTransaction();
    fb::Cursor p = wt.open("select VALORTOTAL, VALORTOTAL2, VALORTOTAL * 2 from PERIODO");
    ASSERT_TRUE(p.fetch());
    EXPECT_EQ(p.asDecimal(0), (Decimal{-999999912345678, 8}));
    EXPECT_EQ(p.asText(0), "-9999999.12345678");
    EXPECT_EQ(p.asDecimal(1), (Decimal{1, 8}));
    EXPECT_EQ(p.asText(1), "0.00000001");
    EXPECT_EQ(p.asInt64(1), 1);  // the raw scaled value
    EXPECT_DOUBLE_EQ(p.asDouble(1), 1e-8);
    EXPECT_EQ(p.columns()[0].type, fb::ColumnType::Decimal);
    EXPECT_EQ(p.columns()[0].scale, 8);
    EXPECT_FALSE(p.fetch());
}

TEST_F(FbWrapper, NullsTravelBothWaysForEveryType) {
    db_.execute(
        "insert into CONTASPR (CODIGOCPR, ESTACAO, DESCRICAO, VALORTOTAL, DATA, NPEDIDO, "
        "HORAREGISTRO) values (?, ?, ?, ?, ?, ?, ?)",
        {std::int64_t{1}, std::string("01"), Value{}, Value{}, Value{}, Value{}, Value{}});
    fb::Transaction t = db_.startTransaction();
    fb::Cursor c =
        t.open("select DESCRICAO, VALORTOTAL, DATA, NPEDIDO, HORAREGISTRO, ESTACAO from CONTASPR");
    ASSERT_TRUE(c.fetch());
    for (unsigned i = 0; i < 5; ++i) {
        EXPECT_TRUE(c.isNull(i)) << i;
        EXPECT_TRUE(fb::isNull(c.value(i))) << i;
        EXPECT_EQ(c.asText(i), "") << i;
    }
    EXPECT_EQ(c.asDecimal(1), (Decimal{0, 2}));
    EXPECT_EQ(c.asDate(2), Date{});
    EXPECT_FALSE(c.isNull(5));
    EXPECT_EQ(c.asText(5), "01");

    // A NULL marker compared in a condition is bound as NULL, not as a value.
    fb::Cursor n = t.open("select count(*) from CONTASPR where ? is null", {Value{}});
    ASSERT_TRUE(n.fetch());
    EXPECT_EQ(n.asInt64(0), 1);

    try {
        t.execute("insert into CONTASPR (CODIGOCPR, ESTACAO) values (?, ?)",
                  {std::int64_t{2}, Value{}});
        FAIL() << "a NULL key column was accepted";
    } catch (const fb::Error& e) {
        EXPECT_EQ(e.gdscode(), kNotValid);
        EXPECT_NE(std::string(e.what()).find("ESTACAO"), std::string::npos) << e.what();
    }
}

TEST_F(FbWrapper, DatesAndTimesMatchTheServersCalendar) {
    const std::vector<Date> dates = {{1858, 11, 17}, {1858, 11, 16}, {1900, 2, 28},  {2000, 2, 29},
                                     {2024, 12, 31}, {1, 1, 1},      {9999, 12, 31}, {1970, 1, 1}};
    fb::Transaction t = db_.startTransaction();
    int id = 0;
    for (const Date& d : dates) {
        t.execute(
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, DATAVENCIM) "
            "values (?, 1, 1, ?)",
            {std::int64_t{++id}, d});
    }
    // The server's own reading of the stored dates agrees with what was sent.
    fb::Cursor c = t.open(
        "select DATAVENCIM, extract(year from DATAVENCIM), extract(month from DATAVENCIM), "
        "extract(day from DATAVENCIM), cast(DATAVENCIM as varchar(10)) from PARCELAS "
        "order by CODIGOPARC");
    for (const Date& d : dates) {
        ASSERT_TRUE(c.fetch());
        EXPECT_EQ(c.asDate(0), d);
        EXPECT_EQ(c.asInt64(1), d.year);
        EXPECT_EQ(c.asInt64(2), d.month);
        EXPECT_EQ(c.asInt64(3), d.day);
        EXPECT_EQ(c.asText(0), c.asText(4));
    }
    c.close();

    const Time late{23, 59, 59, 9999};
    Timestamp ts{{2024, 2, 29}, {13, 5, 7, 1234}};
    fb::Cursor x = t.open(
        "select cast(? as time), cast(? as timestamp), extract(hour from cast(? as time)), "
        "timestamp '2024-02-29 13:05:07.1234', time '00:00:00' from rdb$database",
        {late, ts, Time{7, 30, 0, 0}});
    ASSERT_TRUE(x.fetch());
    EXPECT_EQ(x.asTime(0), late);
    EXPECT_EQ(x.value(0), Value{late});
    EXPECT_EQ(x.asTimestamp(1), ts);
    EXPECT_EQ(x.asInt64(2), 7);
    EXPECT_EQ(x.asTimestamp(3), ts);
    EXPECT_EQ(x.asDate(3), ts.date);
    EXPECT_EQ(x.asTime(4), Time{});
    EXPECT_EQ(x.asText(3), "2024-02-29 13:05:07.1234");
    x.close();

    EXPECT_THROW(t.execute("insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, "
                           "DATAVENCIM) values (99, 1, 1, ?)",
                           {Date{2023, 2, 29}}),
                 fb::Error);
}

TEST_F(FbWrapper, Windows1252BytesAreStoredAndReadUnchanged) {
    const std::string accao = cp1252("A\xC7\xC3O \xE9");  // "AÇÃO é"
    std::string every;
    for (int b = 0x80; b <= 0xFF; ++b) every.push_back(static_cast<char>(b));
    db_.execute("insert into FORMASPG (CODIGOFP, DESCRICAO, DIAS) values (1, ?, ?)",
                {accao, every});
    fb::Transaction t = db_.startTransaction();
    fb::Cursor c = t.open(
        "select DESCRICAO, DIAS, octet_length(DESCRICAO), cast(DESCRICAO as char(8)) "
        "from FORMASPG where DESCRICAO = ?",
        {accao});
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asText(0), accao);
    EXPECT_EQ(c.value(0), Value{accao});
    EXPECT_EQ(c.asText(1), every);
    EXPECT_EQ(c.asInt64(2), 6);
    EXPECT_EQ(c.asText(3), accao + "  ");  // CHAR keeps its blanks
    c.close();
    t.commit();

    // The work-area connection declares win1252; the column declares none;
    // the bytes still arrive unchanged.
    fb::AttachParams params = testAttachParams();
    params.charset = "win1252";
    fb::Attachment w = fb::Attachment::attach(fbClient(), path_, params);
    fb::Transaction wt = w.startTransaction();
    fb::Cursor wc = wt.open("select DESCRICAO from FORMASPG");
    ASSERT_TRUE(wc.fetch());
    EXPECT_EQ(wc.asText(0), accao);
}

TEST_F(FbWrapper, ServerErrorsArriveWithTheServersTextAndCodes) {
    insertParcela(1, Decimal{100, 2});
    try {
        insertParcela(1, Decimal{200, 2});
        FAIL() << "duplicate key accepted";
    } catch (const fb::Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("violation of PRIMARY or UNIQUE KEY constraint \"PK_PARCELAS\""),
                  std::string::npos)
            << text;
        EXPECT_EQ(e.sqlcode(), -803);
        EXPECT_EQ(e.gdscode(), kUniqueKeyViolation);
    }

    fb::Transaction t = db_.startTransaction();
    try {
        t.open("selec CODIGOPARC from PARCELAS");
        FAIL() << "bad syntax accepted";
    } catch (const fb::Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("Dynamic SQL Error"), std::string::npos) << text;
        EXPECT_NE(text.find("Token unknown"), std::string::npos) << text;
        EXPECT_NE(text.find("selec"), std::string::npos) << text;
        EXPECT_EQ(e.sqlcode(), -104);
        EXPECT_EQ(e.gdscode(), kDsqlError);
    }
    try {
        t.open("select NADA from PARCELAS");
        FAIL() << "unknown column accepted";
    } catch (const fb::Error& e) {
        EXPECT_NE(std::string(e.what()).find("NADA"), std::string::npos) << e.what();
        EXPECT_EQ(e.sqlcode(), -206);
    }
    // The transaction survives failed statements and the first row is intact.
    fb::Cursor c = t.open("select VALORPARCELA from PARCELAS");
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asDecimal(0), (Decimal{100, 2}));
    EXPECT_FALSE(c.fetch());
}

TEST_F(FbWrapper, RowsAffectedCountWhatTheStatementChanged) {
    fb::Transaction t = db_.startTransaction();
    fb::Statement ins = t.prepare(
        "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA, VALORPARCELA) "
        "values (?, ?, 1, ?)");
    EXPECT_EQ(ins.parameterCount(), 3u);
    EXPECT_TRUE(ins.columns().empty());
    // The same statement with values of other kinds each time.
    EXPECT_EQ(ins.execute({std::int64_t{1}, std::int64_t{10}, Decimal{500, 2}}), 1);
    EXPECT_EQ(ins.execute({std::int64_t{2}, std::string("10"), std::int64_t{5}}), 1);
    EXPECT_EQ(ins.execute({std::int64_t{3}, std::int64_t{20}, 5.25}), 1);
    EXPECT_EQ(ins.execute({std::int64_t{4}, std::int64_t{20}, Value{}}), 1);
    EXPECT_THROW(ins.execute({std::int64_t{5}}), fb::Error);

    EXPECT_EQ(t.execute("update PARCELAS set VALORPAGO = VALORPARCELA where CODIGOCPR = ?",
                        {std::int64_t{10}}),
              2);
    EXPECT_EQ(t.execute("delete from PARCELAS where CODIGOCPR = 99"), 0);
    fb::Statement sum = t.prepare("select sum(VALORPARCELA), count(*) from PARCELAS");
    EXPECT_EQ(sum.columns().size(), 2u);
    EXPECT_EQ(sum.execute(), 1);  // a SELECT run as a statement counts its rows
    fb::Cursor c = sum.open();
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asDecimal(0), (Decimal{1525, 2}));
    EXPECT_EQ(c.asInt64(1), 4);
    c.close();
    t.commit();
    EXPECT_EQ(db_.execute("delete from PARCELAS"), 4);
}

TEST_F(FbWrapper, ADeferredSavepointIsSetOnlyWhenAStatementFollows) {
    fb::Transaction t = db_.startTransaction();
    // Nothing sent: nothing set, and no savepoint to roll back to.
    t.deferSavepoint("PASSO");
    EXPECT_FALSE(t.takeDeferredSavepoint());
    EXPECT_THROW(t.execute("rollback to savepoint PASSO"), fb::Error);
    t.rollback();

    fb::Transaction u = db_.startTransaction();
    u.execute("insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA) values (1, 1, 1)");
    u.deferSavepoint("PASSO");
    u.execute("insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA) values (2, 1, 2)");
    EXPECT_TRUE(u.takeDeferredSavepoint());
    EXPECT_FALSE(u.takeDeferredSavepoint()) << "taken once";
    u.execute("rollback to savepoint PASSO");  // set before the second insert
    u.commit();
    fb::Transaction v = db_.startTransaction();
    fb::Cursor c = v.open("select count(*), max(CODIGOPARC) from PARCELAS");
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asInt64(0), 1);
    EXPECT_EQ(c.asInt64(1), 1);
    c.close();
    v.commit();
    EXPECT_NE(u.serial(), v.serial());
}

TEST_F(FbWrapper, ColumnsDescribeNamesTypesAndSizes) {
    fb::Transaction t = db_.startTransaction();
    fb::Cursor c = t.open(
        "select A.CODIGOCPR, A.VALORPARCELA, B.CODIGOCPR, B.DESCRICAO, A.DATAVENCIM, "
        "B.HORAREGISTRO, 1.5e0 as RAZAO from PARCELAS A, CONTASPR B "
        "where A.CODIGOCPR = B.CODIGOCPR");
    const auto& cols = c.columns();
    ASSERT_EQ(cols.size(), 7u);
    EXPECT_EQ(cols[0].name, "CODIGOCPR");
    EXPECT_EQ(cols[0].relation, "PARCELAS");
    EXPECT_EQ(cols[0].type, fb::ColumnType::Integer);
    EXPECT_FALSE(cols[0].nullable);
    EXPECT_EQ(cols[1].type, fb::ColumnType::Decimal);
    EXPECT_EQ(cols[1].scale, 2);
    EXPECT_EQ(cols[2].name, "CODIGOCPR");
    EXPECT_EQ(cols[2].relation, "CONTASPR");
    EXPECT_EQ(cols[3].type, fb::ColumnType::Text);
    EXPECT_EQ(cols[3].length, 50u);
    EXPECT_TRUE(cols[3].nullable);
    EXPECT_EQ(cols[4].type, fb::ColumnType::Date);
    EXPECT_EQ(cols[5].type, fb::ColumnType::Time);
    EXPECT_EQ(cols[6].name, "RAZAO");
    EXPECT_EQ(cols[6].type, fb::ColumnType::Double);
    EXPECT_TRUE(cols[6].relation.empty());
    EXPECT_FALSE(c.fetch());
    EXPECT_THROW(c.asInt64(0), fb::Error);  // no current row
}

TEST_F(FbWrapper, TransactionsAreReadCommittedRecordVersionWaitingReadWrite) {
    fb::Transaction t = db_.startTransaction();
    fb::Cursor c = t.open(
        "select MON$ISOLATION_MODE, MON$LOCK_TIMEOUT, MON$READ_ONLY from MON$TRANSACTIONS "
        "where MON$TRANSACTION_ID = current_transaction");
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asInt64(0), 2);   // read committed, record versions
    EXPECT_EQ(c.asInt64(1), -1);  // waits without limit
    EXPECT_EQ(c.asInt64(2), 0);   // read/write
}

// Runs an update of installment 1 on `other` in a thread while `first`
// holds the row, proves it is blocked, ends `first` and gives the outcome.
struct LockRace {
    std::int64_t rows = -1;
    std::string error;
    bool waited = false;
};

LockRace raceForRow(fb::Transaction& first, bool commitFirst, fb::Attachment& other,
                    fb::Attachment& watcher) {
    LockRace race;
    std::atomic<bool> done{false};
    std::thread second([&] {
        try {
            fb::Transaction t = other.startTransaction();
            race.rows = t.execute("update PARCELAS set VALORPARCELA = 300 where CODIGOPARC = 1");
            t.commit();
        } catch (const fb::Error& e) {
            race.error = e.what();
        }
        done = true;
    });
    // Wait until the server shows the second update running (blocked on the
    // row lock), without relying on how long that takes.
    for (int i = 0; i < 500 && !race.waited && !done; ++i) {
        fb::Transaction w = watcher.startTransaction();
        fb::Cursor m = w.open(
            "select count(*) from MON$STATEMENTS where MON$STATE = 1 and "
            "MON$SQL_TEXT starting with 'update PARCELAS set VALORPARCELA'");
        race.waited = m.fetch() && m.asInt64(0) == 1 && !done;
        if (!race.waited) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (commitFirst)
        first.commit();
    else
        first.rollback();
    second.join();
    return race;
}

TEST_F(FbWrapper, AnUpdateWaitsForTheRowLockedByAnotherConnection) {
    insertParcela(1, Decimal{100, 2});
    fb::Attachment other = attachAgain();
    fb::Attachment watcher = attachAgain();

    // The holder rolls back: the waiting update goes through.
    fb::Transaction holder = db_.startTransaction();
    EXPECT_EQ(holder.execute("update PARCELAS set VALORPAGO = 1 where CODIGOPARC = 1"), 1);
    LockRace afterRollback = raceForRow(holder, false, other, watcher);
    EXPECT_TRUE(afterRollback.waited);
    EXPECT_EQ(afterRollback.error, "");
    EXPECT_EQ(afterRollback.rows, 1);

    // The holder commits: the server ends the wait with its update conflict.
    fb::Transaction committer = db_.startTransaction();
    EXPECT_EQ(committer.execute("update PARCELAS set VALORPAGO = 100 where CODIGOPARC = 1"), 1);
    LockRace afterCommit = raceForRow(committer, true, other, watcher);
    EXPECT_TRUE(afterCommit.waited);
    EXPECT_NE(afterCommit.error.find("update conflicts with concurrent update"), std::string::npos)
        << afterCommit.error;

    fb::Transaction check = db_.startTransaction();
    fb::Cursor c = check.open("select VALORPARCELA, VALORPAGO from PARCELAS");
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asDecimal(0), (Decimal{30000, 2}));
    EXPECT_EQ(c.asDecimal(1), (Decimal{10000, 2}));
}

TEST_F(FbWrapper, HandlesEndTheirWorkOnEveryPath) {
    {
        fb::Transaction t = db_.startTransaction();
        t.execute("insert into FP (FORMAPAGTO, ORDEM) values ('DINHEIRO', 1)");
    }  // never committed: rolled back
    {
        fb::Transaction t = db_.startTransaction();
        t.execute("insert into FP (FORMAPAGTO, ORDEM) values ('CHEQUE', 2)");
        fb::Cursor open = t.open("select FORMAPAGTO from FP");
        ASSERT_TRUE(open.fetch());
        t.commit();  // the open cursor is closed first
        EXPECT_FALSE(open.fetch());
        EXPECT_FALSE(t.active());
        EXPECT_THROW(t.commit(), fb::Error);
    }
    fb::Statement orphan;
    {
        fb::Transaction t = db_.startTransaction();
        orphan = t.prepare("delete from FP");
    }
    EXPECT_THROW(orphan.execute(), fb::Error);

    // Detaching with a transaction and a cursor still open rolls them back.
    fb::Attachment a = attachAgain();
    fb::Transaction pending = a.startTransaction();
    pending.execute("insert into FP (FORMAPAGTO, ORDEM) values ('PIX', 3)");
    fb::Cursor cursor = pending.open("select FORMAPAGTO from FP");
    a.detach();
    EXPECT_FALSE(a.connected());
    EXPECT_FALSE(pending.active());
    EXPECT_THROW(pending.execute("delete from FP"), fb::Error);
    EXPECT_FALSE(cursor.fetch());

    fb::Transaction t = db_.startTransaction();
    fb::Cursor c = t.open("select FORMAPAGTO from FP");
    std::vector<std::string> names;
    while (c.fetch()) names.push_back(c.asText(0));
    EXPECT_EQ(names, std::vector<std::string>{"CHEQUE"});
}

TEST(FbClient, LoadingAndAttachingFailuresNameWhatIsMissing) {
    try {
        fb::Client::load("/nonexistent/libfbclient.so.2");
        FAIL() << "a missing library loaded";
    } catch (const fb::Error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/libfbclient.so.2"), std::string::npos);
    }
    try {
        fb::Client::load("libm.so.6");
        FAIL() << "a library without the entry point loaded";
    } catch (const fb::Error& e) {
        EXPECT_NE(std::string(e.what()).find("fb_get_master_interface"), std::string::npos);
    }

    QTemporaryDir dir;
    const std::string missing = dir.filePath("nada/brundelo.bd").toStdString();
    try {
        fb::Attachment::attach(fbClient(), missing, testAttachParams());
        FAIL() << "attached to a missing file";
    } catch (const fb::Error& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
        EXPECT_EQ(e.gdscode(), kIoError);
    }

    // The suite's connections send the role "RoleName", which no database
    // defines; the attachment still succeeds.
    fb::AttachParams withRole = testAttachParams();
    withRole.role = "RoleName";
    const std::string path = dir.filePath("r.fdb").toStdString();
    fb::Attachment::create(fbClient(), path, testAttachParams()).detach();
    fb::Attachment a = fb::Attachment::attach(fbClient(), path, withRole);
    EXPECT_TRUE(a.connected());
    a.dropDatabase();
    EXPECT_FALSE(a.connected());
}

TEST(FbScript, SplitsOnSemicolonsOutsideQuotesAndComments) {
    const std::string script =
        "-- heading; with a semicolon\n"
        "create table T (A varchar(10)); /* block; comment */\n"
        "insert into T values ('a;b''c');\n"
        "  \n;;\n"
        "insert into \"T\" values ('--not a comment')";
    EXPECT_EQ(fb::splitScript(script),
              (std::vector<std::string>{"create table T (A varchar(10))",
                                        "insert into T values ('a;b''c')",
                                        "insert into \"T\" values ('--not a comment')"}));
}

}  // namespace
}  // namespace cp::test
