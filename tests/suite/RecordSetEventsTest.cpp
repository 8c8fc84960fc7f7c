// The order in which the record sets fire their events, where the cursor and
// the state stand when each fires, and what a grid adapter is told.
#include <gtest/gtest.h>

#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/FbDatabases.h"
#include "support/LocaleGuard.h"
#include "support/ModulosEmTeste.h"
#include "support/SuiteDatabases.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

using I = std::int64_t;

class RecordSetEvents : public ModulosEmTeste {
  protected:
    RecordSetEvents() {
        for (int i = 1; i <= 3; ++i)
            dbs.shared().execute(
                "insert into PARCELAS (CODIGOPARC, CODIGOCPR, NUMPARCELA) values (?, 1, ?)",
                {I{i * 10}, I{i}});
        record(dm.Parcelas);
    }

    // Every event as "name:current CODIGOPARC (or -):state".
    void record(RecordSet& rs) {
        auto note = [this](const char* name) {
            return [this, name](RecordSet& r) {
                Field f = r.field("CODIGOPARC");
                std::string at = r.isEmpty() || f.isNull() ? "-" : std::to_string(f.asInteger());
                log.push_back(std::string(name) + ":" + at + ":" + stateName(r.state()));
            };
        };
        rs.beforeInsert = note("beforeInsert");
        rs.afterInsert = note("afterInsert");
        rs.afterPost = note("afterPost");
        rs.afterDelete = note("afterDelete");
        rs.afterScroll = note("afterScroll");
        rs.beforeClose = note("beforeClose");
        rs.onPostError = [this](RecordSet&, const DataError& e) {
            log.push_back(std::string("onPostError:") + e.what());
        };
    }

    static const char* stateName(RecordSetState s) {
        switch (s) {
            case RecordSetState::Inactive:
                return "inactive";
            case RecordSetState::Browse:
                return "browse";
            case RecordSetState::Edit:
                return "edit";
            case RecordSetState::Insert:
                return "insert";
        }
        return "?";
    }

    std::vector<std::string> take() { return std::exchange(log, {}); }

    std::vector<std::string> log;
};

using Events = std::vector<std::string>;

TEST_F(RecordSetEvents, OpenScrollsOnlyWhenThereIsARow) {
    RecordSet& rs = dm.Parcelas;
    rs.open();
    EXPECT_EQ(take(), Events{"afterScroll:10:browse"});
    rs.first();  // already there
    EXPECT_EQ(take(), Events{});
    rs.next();
    rs.last();
    rs.next();  // at the end: no move
    EXPECT_EQ(take(), (Events{"afterScroll:20:browse", "afterScroll:30:browse"}));
    rs.close();
    EXPECT_EQ(take(), Events{"beforeClose:30:browse"});
    rs.setCommandText(
        "select CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, VALORPAGO, DATAPAGTO, COBRANCABANC, CODIGOCTA, NUMDOCUMENTO, "
        "DATAEMISSAODOC, MEIO, QAUT, NATUREZA from PARCELAS where CODIGOCPR = 99");
    rs.open();
    EXPECT_EQ(take(), Events{});
}

TEST_F(RecordSetEvents, InsertPostsThePendingEditFirst) {
    RecordSet& rs = dm.Parcelas;
    rs.open();
    rs.next();
    take();
    rs.edit();
    rs.field("NUMPARCELA").setAsInteger(5);
    rs.insert();
    EXPECT_EQ(take(), (Events{"afterPost:20:browse", "beforeInsert:20:browse",
                              "afterInsert:-:insert", "afterScroll:-:insert"}));
    // The new row stands before the row that was current.
    EXPECT_EQ(rs.recNo(), 2);
    EXPECT_EQ(rs.recordCount(), 4);
    EXPECT_EQ(rs.valueAt(2, rs.fieldIndex("CODIGOPARC")), Value(I{20}));
    rs.field("CODIGOPARC").setAsInteger(15);
    rs.field("CODIGOCPR").setAsInteger(1);
    rs.field("NUMPARCELA").setAsInteger(9);
    rs.post();
    EXPECT_EQ(take(), Events{"afterPost:15:browse"});
    EXPECT_EQ(rs.changeCount(), 2);
    rs.append();
    EXPECT_EQ(rs.recNo(), 5);
    take();
    rs.cancel();  // back to the row that was current
    EXPECT_EQ(take(), Events{"afterScroll:15:browse"});
    EXPECT_EQ(rs.recordCount(), 4);
}

TEST_F(RecordSetEvents, DeleteLogsThenMovesToTheNextRow) {
    RecordSet& rs = dm.Parcelas;
    rs.open();
    rs.next();
    take();
    int changesSeen = -1;
    rs.afterDelete = [&](RecordSet& r) {
        changesSeen = r.changeCount();
        log.push_back("afterDelete");
    };
    rs.remove();
    EXPECT_EQ(take(), (Events{"afterDelete", "afterScroll:30:browse"}));
    EXPECT_EQ(changesSeen, 1);
    rs.remove();  // the last row: the cursor goes to the new last row
    EXPECT_EQ(take(), (Events{"afterDelete", "afterScroll:10:browse"}));
    rs.remove();
    EXPECT_TRUE(rs.isEmpty());
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.remove(), DataError);
    EXPECT_EQ(rs.changeCount(), 3);
    EXPECT_EQ(rs.applyUpdates(), 0);
    rs.close();
    rs.open();
    EXPECT_TRUE(rs.isEmpty());
}

TEST_F(RecordSetEvents, RequiredColumnLeftEmptyKeepsTheRowInInsert) {
    RecordSet& rs = dm.Parcelas;
    rs.open();
    rs.append();
    take();
    rs.field("CODIGOPARC").setAsInteger(40);
    rs.field("NUMPARCELA").setAsInteger(4);
    try {
        rs.post();
        FAIL() << "post must be refused";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Field 'CODIGOCPR' must have a value");
    }
    EXPECT_EQ(take(), Events{"onPostError:Field 'CODIGOCPR' must have a value"});
    EXPECT_EQ(rs.state(), RecordSetState::Insert);
    EXPECT_EQ(rs.changeCount(), 0);
    // Moving away posts too, and is refused the same way.
    EXPECT_THROW(rs.first(), DataError);
    take();
    rs.field("CODIGOCPR").setAsInteger(1);
    rs.post();
    EXPECT_EQ(take(), Events{"afterPost:40:browse"});
}

TEST_F(RecordSetEvents, FailingBeforeInsertLeavesTheSetAsItWas) {
    RecordSet& rs = dm.Parcelas;
    rs.open();
    rs.beforeInsert = [](RecordSet&) { throw std::runtime_error("sem chave"); };
    EXPECT_THROW(rs.append(), std::runtime_error);
    EXPECT_EQ(rs.state(), RecordSetState::Browse);
    EXPECT_EQ(rs.recordCount(), 3);
    EXPECT_EQ(rs.recNo(), 1);
}

TEST_F(RecordSetEvents, EditOfAnEmptySetInserts) {
    RecordSet& rs = dm.Parcelas;
    rs.setCommandText(
        "select CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, VALORPARCELA, "
        "DATAVENCIM, VALORPAGO, DATAPAGTO, COBRANCABANC, CODIGOCTA, NUMDOCUMENTO, "
        "DATAEMISSAODOC, MEIO, QAUT, NATUREZA from PARCELAS where CODIGOCPR = 2");
    rs.open();
    take();
    rs.edit();
    EXPECT_EQ(rs.state(), RecordSetState::Insert);
    EXPECT_EQ(take(),
              (Events{"beforeInsert:-:browse", "afterInsert:-:insert", "afterScroll:-:insert"}));
    // Leaving an untouched new row drops it.
    rs.first();
    EXPECT_TRUE(rs.isEmpty());
    EXPECT_EQ(rs.state(), RecordSetState::Browse);
}

TEST_F(RecordSetEvents, SearchesScrollOnlyWhenTheyMove) {
    RecordSet& rs = dm.Usuarios;
    for (const char* u : {"ANA", "BRUNO", "CAIO"})
        dbs.shared().execute("insert into USUARIOS (USUARIO) values (?)", {std::string(u)});
    std::vector<std::string> seen;
    rs.afterScroll = [&](RecordSet& r) { seen.push_back(r.field("USUARIO").asString()); };
    rs.open();
    rs.findKey({std::string("CAIO")});
    rs.findKey({std::string("DORA")});
    rs.findNearest({std::string("B")});
    rs.findNearest({std::string("BRUNO")});
    EXPECT_EQ(seen, (std::vector<std::string>{"ANA", "CAIO", "BRUNO"}));
}

TEST_F(RecordSetEvents, PostedRowTakesItsPlaceInTheDefaultOrder) {
    RecordSet& rs = dm.Usuarios;
    for (const char* u : {"ANA", "CAIO", "EVA"})
        dbs.shared().execute("insert into USUARIOS (USUARIO) values (?)", {std::string(u)});
    rs.open();
    std::vector<int> moves;
    rs.addObserver([&](const RecordSetNotice& n) {
        if (n.kind == RecordSetNotice::RowMoved) moves.insert(moves.end(), {n.previousRow, n.row});
    });
    rs.append();
    rs.field("USUARIO").setAsString("BIA");
    rs.post();
    EXPECT_EQ(rs.recNo(), 2);
    rs.last();
    rs.edit();
    rs.field("USUARIO").setAsString("AAA");
    rs.post();
    EXPECT_EQ(rs.recNo(), 1);
    EXPECT_EQ(moves, (std::vector<int>{3, 1, 3, 0}));
    // A row whose order columns did not change stays where it is.
    rs.moveTo(2);
    rs.edit();
    rs.field("SENHA").setAsString("X");
    rs.post();
    EXPECT_EQ(rs.recNo(), 3);
    EXPECT_EQ(moves.size(), 4u);
    EXPECT_FALSE(rs.findKey({std::string("EVA")}));
    std::vector<std::string> order;
    for (int r = 0; r < rs.rowCount(); ++r) order.push_back(rs.displayTextAt(r, 0));
    EXPECT_EQ(order, (std::vector<std::string>{"AAA", "ANA", "BIA", "CAIO"}));
}

TEST_F(RecordSetEvents, GridAdapterLearnsOfEveryChange) {
    RecordSet& rs = dm.Parcelas;
    std::vector<std::string> notices;
    int handle = rs.addObserver([&](const RecordSetNotice& n) {
        static const char* names[] = {"reset", "inserted", "removed", "changed",
                                      "moved", "current",  "state"};
        notices.push_back(std::string(names[n.kind]) + " " + std::to_string(n.row) + " " +
                          std::to_string(n.previousRow));
    });
    rs.open();
    EXPECT_EQ(notices, (Events{"reset 0 -1", "state 0 0"}));
    notices.clear();
    rs.next();
    rs.edit();
    rs.field("NUMPARCELA").setAsInteger(7);
    rs.cancel();
    EXPECT_EQ(notices,
              (Events{"current 1 0", "state 1 1", "changed 1 1", "changed 1 1", "state 1 1"}));
    EXPECT_EQ(rs.valueAt(1, rs.fieldIndex("NUMPARCELA")), Value(I{2}));
    notices.clear();
    rs.insert();
    rs.cancel();
    EXPECT_EQ(notices, (Events{"inserted 1 -1", "current 1 1", "state 1 1", "removed 1 1",
                               "current 1 1", "state 1 1"}));
    notices.clear();
    rs.remove();
    EXPECT_EQ(notices, (Events{"removed 1 1", "current 1 1"}));
    rs.removeObserver(handle);
    notices.clear();
    rs.close();
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(rs.valueAt(0, 0), Value{});
}

}  // namespace
}  // namespace cp::test
