// The wrapper through the test server, as the program meets the pharmacy's
// central server: the suite's Windows paths as aliases, sysdba / vostremal,
// and the server's own record of the SQL it received.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "fb/fb.h"
#include "support/FbDatabases.h"
#include "support/FbServer.h"

namespace cp::test {
namespace {

std::string databasesConf() {
    std::ifstream in(serverDatabasesConf());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(ServerDatabases, AttachThroughTheSuitesWindowsPathsAsAliases) {
    CP_REQUIRE_FB_SERVER();
    { ServerDatabases first("03"); }
    ServerDatabases server("01");
    EXPECT_EQ(server.sharedConnect(), serverHost() + ":C:\\brundelo\\dados\\brundelo.bd");
    EXPECT_EQ(server.workstationConnect(), serverHost() + ":C:\\brundelo\\interfac01\\brundelo.bd");
    EXPECT_EQ(serverHost().rfind("localhost/", 0), 0u);

    // The alias file names our databases once each, and no earlier ones.
    const std::string conf = databasesConf();
    EXPECT_EQ(occurrences(conf, "C:\\brundelo\\dados\\brundelo.bd = " + server.sharedFile()), 1u);
    EXPECT_EQ(occurrences(conf, "C:\\brundelo\\dados\\brundelo.bd"), 1u);
    EXPECT_EQ(occurrences(conf, "C:\\brundelo\\interfac03"), 0u);

    server.shared().execute("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO) values (?, ?, ?)",
                            {std::string("01"), std::string("CAIXA"), std::string("caixa1")});

    // A new connection made the way the program makes it sees the row, in
    // the file behind the alias.
    fb::AttachParams params = serverAttachParams();
    params.role = "RoleName";
    fb::Attachment db = fb::Attachment::attach(fbClient(), server.sharedConnect(), params);
    fb::Transaction t = db.startTransaction();
    fb::Cursor c = t.open(
        "select E.USUARIO, M.MON$DATABASE_NAME from ESTACOES E, MON$DATABASE M "
        "where upper(E.USUARIO) = 'CAIXA1'");
    ASSERT_TRUE(c.fetch());
    EXPECT_EQ(c.asText(0), "caixa1");
    EXPECT_EQ(c.asText(1), server.sharedFile());
    c.close();
    t.commit();

    // The work-area connection declares win1252; its bytes arrive unchanged.
    fb::AttachParams ws = serverAttachParams();
    ws.role = "RoleName";
    ws.charset = "win1252";
    fb::Attachment periodo = fb::Attachment::attach(fbClient(), server.workstationConnect(), ws);
    EXPECT_EQ(periodo.execute("insert into PERIODO (DATAINICIAL, DATAFINAL, ESTACAO, VALORTOTAL) "
                              "values (?, ?, ?, ?)",
                              {fb::Date{2024, 3, 1}, fb::Date{2024, 3, 31}, std::string("\xC7\xC3"),
                               fb::Decimal{-12345678, 8}}),
              1);
    fb::Transaction pt = server.workstation().startTransaction();
    fb::Cursor p = pt.open("select DATAFINAL, ESTACAO, VALORTOTAL from PERIODO");
    ASSERT_TRUE(p.fetch());
    EXPECT_EQ(p.asDate(0), (fb::Date{2024, 3, 31}));
    EXPECT_EQ(p.asText(1), "\xC7\xC3");
    EXPECT_EQ(p.asDecimal(2), (fb::Decimal{-12345678, 8}));
}

TEST(ServerDatabases, ServerErrorsCrossTheNetworkWithTheirText) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    fb::Attachment& db = server.shared();
    db.execute("insert into USUARIOS (USUARIO) values ('CAIXA1')");
    try {
        db.execute("insert into USUARIOS (USUARIO) values ('CAIXA1')");
        FAIL() << "duplicate user accepted";
    } catch (const fb::Error& e) {
        EXPECT_NE(std::string(e.what()).find("PK_USUARIOS"), std::string::npos) << e.what();
        EXPECT_EQ(e.sqlcode(), -803);
    }
    try {
        fb::Attachment::attach(fbClient(), serverHost() + ":C:\\brundelo\\interfac99\\brundelo.bd",
                               serverAttachParams());
        FAIL() << "attached to a work area that has no database";
    } catch (const fb::Error& e) {
        EXPECT_EQ(e.gdscode(), 335544375) << e.what();  // isc_unavailable
    }
}

TEST(ServerTrace, CapturesTheStatementTextsExactlyAsSent) {
    CP_REQUIRE_FB_SERVER();
    ServerDatabases server;
    TraceSession trace(true);
    trace.start(server.sharedConnect());

    // A text ending in a blank, one over several lines, and one with a marker.
    const std::string list =
        "Select A.CodigoCPR, A.CodigoParc, A.DataVencim from Parcelas A, ContasPR B "
        "where B.Natureza = 'P' and A.CodigoCPR = B.CodigoCPR order by A.DataVencim ";
    const std::string multiLine = "update PARCELAS\n   set DATAPAGTO = '03/15/24'\n where 1 = 0";
    const std::string withMarker = "select count(*) from FP where FORMAPAGTO = ?";
    {
        fb::Attachment db =
            fb::Attachment::attach(fbClient(), server.sharedConnect(), serverAttachParams());
        fb::Transaction t = db.startTransaction();
        fb::Cursor c = t.open(list);
        while (c.fetch()) {
        }
        c.close();
        EXPECT_EQ(t.execute(multiLine), 0);
        fb::Cursor m = t.open(withMarker, {std::string("PIX")});
        ASSERT_TRUE(m.fetch());
        m.close();
        t.commit();
    }
    const std::vector<std::string> prepared = trace.stop();
    const auto events = trace.events();
    EXPECT_EQ(prepared, (std::vector<std::string>{list, multiLine, withMarker}));

    std::vector<std::string> started;
    for (const auto& e : events) {
        EXPECT_EQ(e.database, server.sharedAlias());
        if (e.kind == "EXECUTE_STATEMENT_START") started.push_back(e.sql);
    }
    EXPECT_EQ(started, (std::vector<std::string>{list, multiLine, withMarker}));
}

TEST(ServerTrace, ParsesEventsOfEveryShape) {
    const std::string out =
        "Trace session ID 3 started\n"
        "2024-03-15T10:00:00.1000 (100:0x7f01) TRACE_INIT\n"
        "\tSESSION_3\n\t\n\n"
        "2024-03-15T10:00:00.2000 (100:0x7f01) PREPARE_STATEMENT\n"
        "\t/data/a.fdb (ATT_3, SYSDBA:NONE, NONE, TCPv4:127.0.0.1/5000)\n"
        "\t/usr/bin/prog:123\n"
        "\t\t(TRA_5, READ_COMMITTED | REC_VERSION | WAIT | READ_WRITE)\n"
        "\n"
        "Statement 7:\n"
        "-------------------------------------------------------------------------------\n"
        "select 1\n"
        "\n"
        "  from X \n"
        "      3 ms\n"
        "\n"
        "2024-03-15T10:00:00.3000 (100:0x7f01) EXECUTE_STATEMENT_START\n"
        "\t/data/b.fdb (ATT_4, SYSDBA:NONE, NONE, TCPv4:127.0.0.1/5001)\n"
        "\t\t(TRA_6, READ_COMMITTED | REC_VERSION | WAIT | READ_WRITE)\n"
        "\n"
        "Statement 8:\n"
        "-------------------------------------------------------------------------------\n"
        "update T set A = ? where B = 2\n"
        "\n"
        "param0 = varchar(10), \"x\"\n"
        "\n"
        "\n"
        "2024-03-15T10:00:00.4000 (100:0x7f01) EXECUTE_STATEMENT_START\n"
        "\t/data/b.fdb (ATT_4, SYSDBA:NONE, NONE, TCPv4:127.0.0.1/5001)\n"
        "\n"
        "-------------------------------------------------------------------------------\n"
        "delete from T\n"
        "\n";
    const auto events = parseTraceOutput(out);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, "PREPARE_STATEMENT");
    EXPECT_EQ(events[0].database, "/data/a.fdb");
    EXPECT_EQ(events[0].sql, "select 1\n\n  from X ");
    EXPECT_EQ(events[1].kind, "EXECUTE_STATEMENT_START");
    EXPECT_EQ(events[1].database, "/data/b.fdb");
    EXPECT_EQ(events[1].sql, "update T set A = ? where B = 2");
    EXPECT_EQ(events[2].sql, "delete from T");
}

}  // namespace
}  // namespace cp::test
