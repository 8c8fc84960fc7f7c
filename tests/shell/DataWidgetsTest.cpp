// The data-aware widgets over real record sets of an embedded database.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "data/Cp1252.h"
#include "data/Formats.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/Toolkit.h"
#include "suite/Conexoes.h"
#include "suite/EstadoSessao.h"
#include "suite/Modules.h"
#include "support/LocaleGuard.h"
#include "support/Semeia.h"
#include "support/TestEnvironment.h"

namespace cp::test {
namespace {

class Widgets : public ::testing::Test {
  protected:
    // Dates, times and numbers as the suite's operators see them.
    LocaleGuard brasil;

    void SetUp() override {
        dbs = std::make_unique<SuiteDatabases>(env.suiteDir());
        dbs->shared().execute(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO) values (4, '01', 'P', "
            "?)",
            {*toCp1252(QStringLiteral("Manutenção"))});
        semeiaDados(*dbs);
        dm = std::make_unique<TDM>(env, s);
        DataModuleCreate(*dm);
        contas().setCommandText(std::string("Select ") + kCamposCPR +
                                " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
        contas().open();
        janela = std::make_unique<QWidget>();
        janela->resize(600, 400);
        layout = new QVBoxLayout(janela.get());
    }
    void TearDown() override {
        janela.reset();
        dm.reset();
    }
    RecordSet& contas() { return dm->CONTASPR; }
    std::string valor(const char* coluna) { return contas().field(coluna).asString(); }
    void mostra() {
        janela->show();
        janela->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(janela.get()));
    }

    TestEnvironment env;
    std::unique_ptr<SuiteDatabases> dbs;
    EstadoSessao s;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<QWidget> janela;
    QVBoxLayout* layout = nullptr;
};

std::vector<GridColumn> colunasContas() {
    return {
        {QStringLiteral("Código"), "CODIGOCPR", 50, Qt::AlignRight, Qt::AlignLeft, true, {}},
        {QStringLiteral("Descrição"), "DESCRICAO", 200, Qt::AlignLeft, Qt::AlignLeft, false, {}},
        {QStringLiteral("Data"), "DATA", 70, Qt::AlignHCenter, Qt::AlignHCenter, false, {}},
        {QStringLiteral("Inexistente"), "NAOHA", 40, Qt::AlignLeft, Qt::AlignLeft, false, {}}};
}

TEST(MascaraDeEdicao, TheSuiteMasksBecomeInputMasksOfTheBox) {
    LocaleGuard brasil;
    EXPECT_EQ(DBEdit::qtInputMask("!99/99/00;1;_"), QStringLiteral("00/00/99;_"));
    EXPECT_EQ(DBEdit::qtInputMask("!90:00;1;_"), QStringLiteral("09:99;_"));
    EXPECT_EQ(DBEdit::qtInputMask("00\\.000\\.000\\/0000\\-00;1;_"),
              QStringLiteral("99.999.999/9999-99;_"));
    EXPECT_EQ(DBEdit::qtInputMask(">LLaa;0;*"), QStringLiteral(">AAnn;*"));
    EXPECT_EQ(DBEdit::qtInputMask(""), QString());
}

TEST_F(Widgets, TheModelShowsTheVisibleRowsThroughTheColumnList) {
    RecordSetModel m(env, contas(), colunasContas());
    ASSERT_EQ(m.rowCount(), 3);
    ASSERT_EQ(m.columnCount(), 4);
    EXPECT_EQ(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Descrição"));
    EXPECT_EQ(m.data(m.index(2, 1), Qt::DisplayRole).toString(), QStringLiteral("Manutenção"));
    EXPECT_EQ(m.data(m.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("1"));
    EXPECT_EQ(m.data(m.index(0, 2), Qt::DisplayRole).toString(),
              fromCp1252(formatDate("dd/mm/yy", QDate(2024, 3, 1))));
    EXPECT_EQ(m.data(m.index(0, 3), Qt::DisplayRole), QVariant()) << "an unknown column is empty";
    EXPECT_FALSE(m.flags(m.index(0, 0)) & Qt::ItemIsEditable) << "read-only column";
    EXPECT_TRUE(m.flags(m.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(m.flags(m.index(0, 3)) & Qt::ItemIsEditable);
    EXPECT_EQ(m.data(m.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::AlignRight | Qt::AlignVCenter);

    // It follows the record set: a new row, a changed value, a close.
    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    contas().append();
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(m.rowCount(), 4);
    contas().field("CODIGOCPR").setAsInteger(10);
    contas().field("ESTACAO").setAsString("01");
    contas().field("DESCRICAO").setAsString("Nova");
    contas().post();
    EXPECT_GE(changed.count() + inserted.count(), 2);
    bool achou = false;
    for (int r = 0; r < m.rowCount(); ++r)
        achou |= m.data(m.index(r, 1), Qt::DisplayRole).toString() == QStringLiteral("Nova");
    EXPECT_TRUE(achou);
    contas().close();
    EXPECT_EQ(m.rowCount(), 0);
}

TEST_F(Widgets, EditingACellWritesTheCurrentRowAndRefusesWhatCp1252CannotHold) {
    RecordSetModel m(env, contas(), colunasContas());
    ASSERT_TRUE(m.setData(m.index(1, 1), QStringLiteral("Frascos âmbar"), Qt::EditRole));
    EXPECT_EQ(contas().currentRow(), 1);
    EXPECT_EQ(contas().state(), RecordSetState::Edit);
    EXPECT_EQ(fromCp1252(valor("DESCRICAO")), QStringLiteral("Frascos âmbar"));

    EXPECT_FALSE(m.setData(m.index(1, 1), QStringLiteral("Frascos \u4E2D"), Qt::EditRole));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(QStringLiteral("Windows-1252")));
    EXPECT_EQ(fromCp1252(valor("DESCRICAO")), QStringLiteral("Frascos âmbar"));

    EXPECT_FALSE(m.setData(m.index(1, 2), QStringLiteral("31/02/24"), Qt::EditRole));
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_EQ(env.messages[1].toStdString(), msgInvalidDate("31/02/24"));
    EXPECT_FALSE(m.setData(m.index(1, 0), QStringLiteral("99"), Qt::EditRole)) << "read-only";
}

TEST_F(Widgets, TheGridsCurrentRowFollowsTheCursorBothWays) {
    auto* grade = new DBGrid(env, contas(), colunasContas(), janela.get());
    layout->addWidget(grade);
    mostra();
    contas().first();
    EXPECT_EQ(grade->currentIndex().row(), 0);
    contas().last();
    EXPECT_EQ(grade->currentIndex().row(), 2);
    EXPECT_EQ(grade->columnWidth(1), 200);

    // The operator picks a row: the cursor follows.
    const QRect celula = grade->visualRect(grade->model()->index(1, 1));
    QTest::mouseClick(grade->viewport(), Qt::LeftButton, {}, celula.center());
    QApplication::processEvents();
    EXPECT_EQ(contas().currentRow(), 1);
    grade->setCurrentColumn(2);
    EXPECT_EQ(grade->currentColumn(), 2);
    EXPECT_EQ(grade->currentIndex().row(), 1);

    // A row that cannot be posted keeps the grid on it.
    contas().edit();
    contas().field("ESTACAO").clear();
    const QRect outra = grade->visualRect(grade->model()->index(0, 1));
    QTest::mouseClick(grade->viewport(), Qt::LeftButton, {}, outra.center());
    QApplication::processEvents();
    EXPECT_EQ(contas().currentRow(), 1);
    EXPECT_EQ(grade->currentIndex().row(), 1);
    ASSERT_FALSE(env.messages.isEmpty());
    EXPECT_EQ(env.messages.last().toStdString(), msgMustHaveValue("ESTACAO"));

    // Esc abandons the row's changes.
    grade->setFocus();
    QTest::keyClick(grade, Qt::Key_Escape);
    EXPECT_EQ(contas().state(), RecordSetState::Browse);
    EXPECT_EQ(valor("ESTACAO"), "01");
}

TEST_F(Widgets, ThePopupMenuActsOnTheRowItWasOpenedOn) {
    auto* grade = new DBGrid(env, contas(), colunasContas(), janela.get());
    layout->addWidget(grade);
    QMenu menu;
    menu.addAction(QStringLiteral("Quitar"));
    grade->setPopupMenu(&menu);
    mostra();
    contas().first();
    const QPoint em = grade->visualRect(grade->model()->index(2, 1)).center();
    QTimer::singleShot(0, &menu, &QMenu::close);
    QContextMenuEvent e(QContextMenuEvent::Mouse, em, grade->viewport()->mapToGlobal(em));
    QApplication::sendEvent(grade->viewport(), &e);
    EXPECT_EQ(contas().currentRow(), 2);
    EXPECT_EQ(grade->currentIndex().row(), 2);
}

TEST_F(Widgets, TheBoundEditShowsEditsAndWritesItsColumn) {
    auto* descricao = new DBEdit(env, contas(), "DESCRICAO", janela.get());
    auto* outro = new QLineEdit(janela.get());
    layout->addWidget(descricao);
    layout->addWidget(outro);
    mostra();
    contas().first();
    EXPECT_EQ(descricao->text(), QStringLiteral("Aluguel"));
    EXPECT_EQ(descricao->maxLength(), 50);
    contas().next();
    EXPECT_EQ(descricao->text(), QStringLiteral("Frascos"));

    descricao->setFocus();
    EXPECT_EQ(contas().state(), RecordSetState::Browse) << "focus alone does not edit";
    QTest::keyClick(descricao, Qt::Key_End);
    QTest::keyClicks(descricao, QStringLiteral(" de vidro"));
    EXPECT_EQ(contas().state(), RecordSetState::Edit) << "typing puts the set in edit";
    EXPECT_EQ(valor("DESCRICAO"), "Frascos") << "written only when confirmed";
    QTest::keyClick(descricao, Qt::Key_Return);
    EXPECT_EQ(valor("DESCRICAO"), "Frascos de vidro");

    // Esc after typing gives back the stored value.
    QTest::keyClicks(descricao, QStringLiteral("xyz"));
    QTest::keyClick(descricao, Qt::Key_Escape);
    EXPECT_EQ(descricao->text(), QStringLiteral("Frascos de vidro"));
    EXPECT_FALSE(descricao->dirty());

    // A character Windows-1252 cannot hold is refused with a message.
    QKeyEvent cirilico(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u0416"));
    QApplication::sendEvent(descricao, &cirilico);
    EXPECT_EQ(env.messages.size(), 1);
    EXPECT_FALSE(descricao->text().contains(QChar(0x0416)));
    // So is an emoji, a pair of UTF-16 units, named in the message.
    QKeyEvent emoji(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                    QString::fromUtf8("\xF0\x9F\x9A\x9A"));
    QApplication::sendEvent(descricao, &emoji);
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_TRUE(env.messages[1].contains(QString::fromUtf8("\xF0\x9F\x9A\x9A")))
        << env.messages[1].toStdString();
    EXPECT_FALSE(descricao->text().contains(QString::fromUtf8("\xF0\x9F\x9A\x9A")));

    // Leaving the box writes what was typed.
    descricao->setText(QString());
    QTest::keyClicks(descricao, QStringLiteral("Tampas"));
    outro->setFocus();
    EXPECT_EQ(valor("DESCRICAO"), "Tampas");

    // A message box holds the focus when the program is asked to close: the
    // field the window last focused is the one written.
    descricao->setFocus();
    QTest::keyClick(descricao, Qt::Key_End);
    QTest::keyClicks(descricao, QStringLiteral(" de metal"));
    QDialog caixa;
    auto* botao = new QPushButton(QStringLiteral("OK"), &caixa);
    caixa.show();
    caixa.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&caixa));
    botao->setFocus();
    ASSERT_NE(QApplication::focusWidget(), descricao);
    EXPECT_TRUE(commitFocusedEditor(janela.get()));
    EXPECT_EQ(valor("DESCRICAO"), "Tampas de metal");
    caixa.reject();
}

TEST_F(Widgets, ADateTheRecordSetRefusesKeepsTheFocusInTheBox) {
    auto* data = new DBEdit(env, contas(), "DATA", janela.get());
    auto* depois = new QLineEdit(janela.get());
    layout->addWidget(data);
    layout->addWidget(depois);
    mostra();
    contas().first();
    EXPECT_EQ(data->inputMask(), QStringLiteral("00/00/99;_"));
    data->setFocus();
    data->selectAll();
    QTest::keyClicks(data, QStringLiteral("1503"));
    QTest::keyClick(data, Qt::Key_Tab);
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_EQ(env.messages[0].toStdString(), kMsgInvalidInput);
    EXPECT_TRUE(data->hasFocus());
    EXPECT_EQ(contas().field("DATA").asDate(), QDate(2024, 3, 1));

    data->selectAll();
    QTest::keyClicks(data, QStringLiteral("310224"));
    QTest::keyClick(data, Qt::Key_Return);
    ASSERT_EQ(env.messages.size(), 2);
    EXPECT_EQ(env.messages[1].toStdString(), msgInvalidDate("31/02/24"));

    data->selectAll();
    QTest::keyClicks(data, QStringLiteral("150324"));
    QTest::keyClick(data, Qt::Key_Tab);
    EXPECT_EQ(env.messages.size(), 2);
    EXPECT_EQ(contas().field("DATA").asDate(), QDate(2024, 3, 15));
    EXPECT_TRUE(depois->hasFocus());
}

TEST_F(Widgets, AMaskedDateWithoutDisplayFormatFitsItsMaskWhenNotFocused) {
    // The locale's short date has a four-digit year; the mask holds two.
    dm->Parcelas.open();
    auto* foco = new QLineEdit(janela.get());
    auto* vencimento = new DBEdit(env, dm->Parcelas, "DATAVENCIM", janela.get());
    layout->addWidget(foco);
    layout->addWidget(vencimento);
    mostra();
    foco->setFocus();
    dm->Parcelas.first();
    EXPECT_EQ(vencimento->text(), QStringLiteral("10/03/24"));
    dm->Parcelas.next();
    EXPECT_EQ(vencimento->text(), QStringLiteral("20/03/24"));
}

TEST_F(Widgets, KeyCallbacksComeFirstAndEnterSeesTheWrittenValue) {
    auto* descricao = new DBEdit(env, contas(), "DESCRICAO", janela.get());
    layout->addWidget(descricao);
    std::string visto;
    int entradas = 0, saidas = 0;
    descricao->onEnter = [&] { ++entradas; };
    descricao->onExit = [&] { ++saidas; };
    mostra();  // the window's first focus enters the box
    contas().first();
    // A message box takes the focus and gives it back: no exit, no entry.
    QWidget caixa;
    caixa.show();
    caixa.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&caixa));
    janela->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(janela.get()));
    EXPECT_EQ(saidas, 0);
    descricao->onKeyPress = [&](QKeyEvent& k) {
        if (k.key() == Qt::Key_Return) {
            visto = valor("DESCRICAO");
            return true;
        }
        return k.text() == QStringLiteral("#");  // swallowed
    };
    descricao->setFocus();
    EXPECT_EQ(entradas, 1);
    descricao->selectAll();
    QTest::keyClicks(descricao, QStringLiteral("a#b"));
    EXPECT_EQ(descricao->text(), QStringLiteral("ab"));
    QTest::keyClick(descricao, Qt::Key_Return);
    EXPECT_EQ(visto, "ab");
    // A handler that fails is reported and the box goes on working.
    descricao->onKeyPress = [](QKeyEvent&) -> bool { throw std::runtime_error("falhou"); };
    QTest::keyClick(descricao, Qt::Key_A);
    EXPECT_EQ(env.messages, QStringList{QStringLiteral("falhou")});
}

TEST_F(Widgets, TheComboBoxKeepsItsValueWhenItsItemsAreReplaced) {
    auto* cond = new DBComboBox(env, contas(), "CONDPAGTO", janela.get());
    auto* outro = new QLineEdit(janela.get());
    layout->addWidget(cond);
    layout->addWidget(outro);
    mostra();
    contas().first();
    EXPECT_EQ(cond->currentText(), QStringLiteral("A VISTA"));
    cond->setItems({QStringLiteral("30 DIAS"), QStringLiteral("60 DIAS")});
    EXPECT_EQ(cond->currentText(), QStringLiteral("A VISTA"));
    EXPECT_EQ(contas().state(), RecordSetState::Browse);

    cond->setFocus();
    QTest::keyClick(cond, Qt::Key_Down);
    EXPECT_EQ(contas().state(), RecordSetState::Edit);
    outro->setFocus();
    EXPECT_NE(valor("CONDPAGTO"), "A VISTA");
    EXPECT_EQ(fromCp1252(valor("CONDPAGTO")), cond->currentText());
}

TEST_F(Widgets, FocusWatchingCountsOnlyMovesAcrossTheContainer) {
    auto* painel = new QWidget(janela.get());
    auto* dentro1 = new QLineEdit(painel);
    auto* dentro2 = new QLineEdit(painel);
    auto* fora = new QLineEdit(janela.get());
    auto* l = new QVBoxLayout(painel);
    l->addWidget(dentro1);
    l->addWidget(dentro2);
    layout->addWidget(painel);
    layout->addWidget(fora);
    int entra = 0, sai = 0;
    watchFocus(
        painel, env, [&] { ++entra; }, [&] { ++sai; });
    mostra();
    fora->setFocus();
    entra = sai = 0;
    dentro1->setFocus();
    dentro2->setFocus();
    EXPECT_EQ(entra, 1);
    EXPECT_EQ(sai, 0);
    // Another window (a message box) takes the focus and gives it back.
    QWidget caixa;
    auto* botao = new QLineEdit(&caixa);
    caixa.show();
    QApplication::setActiveWindow(&caixa);
    botao->setFocus();
    QApplication::setActiveWindow(janela.get());
    dentro2->setFocus();
    EXPECT_EQ(entra, 1);
    EXPECT_EQ(sai, 0);
    fora->setFocus();
    EXPECT_EQ(sai, 1);
}

}  // namespace
}  // namespace cp::test
