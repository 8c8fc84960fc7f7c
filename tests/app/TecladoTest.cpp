// The window driven by the keyboard alone, in Portuguese: Qt's own dialogs,
// the function keys, leaving the grids, where the focus may land, and the
// names a screen reader gives the controls.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include "app/TeclasJanela.h"
#include "entry/PainelConta.h"
#include "payables/ListaFixture.h"
#include "session/LoginSessao.h"
#include "shell/FocusChain.h"

namespace cp::test {
namespace {

class Teclado : public ListaTeste {
  protected:
    void SetUp() override {
        ListaTeste::SetUp();
        periodo(QDate(2024, 3, 1), QDate(2024, 3, 31));
        conta(417, "P", "DISTRIBUIDORA CENTRAL");
        parcela(11, 417, 1, QDate(2024, 3, 5), 15000);
        parcela(12, 417, 2, QDate(2024, 3, 10), 15000, 15000, QDate(2024, 3, 10));
        // The account's expense and supplier are registered: leaving their
        // fields opens no lookup panel.
        dbs->shared().execute(
            "insert into FORNECED (CODIGO, NOMEFANTASIA) values ('1', 'DISTRIBUIDORA CENTRAL')");
        dbs->shared().execute("insert into PLANOCT (CODIGOCTA, DESCRICAO) values ('1', 'COMPRA')");
    }
    QWidget* foco() const { return QApplication::focusWidget(); }
    // A key as the operator presses it, on the control with the focus.
    void tecla(int key, Qt::KeyboardModifiers mod = Qt::NoModifier) {
        QTest::keyClick(foco() ? foco() : form, static_cast<Qt::Key>(key), mod);
        QApplication::processEvents();
    }
    PainelConta& c() const { return *form->conta; }
};

TEST_F(Teclado, QtsOwnDialogsSpeakPortuguese) {
    abreLista();
    QDialogButtonBox botoes(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(botoes.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancelar"));
    EXPECT_EQ(botoes.button(QDialogButtonBox::Save)->text(), QStringLiteral("Salvar"));
    // The file dialog the copies of the list are saved with.
    QFileDialog arquivo(form);
    arquivo.setOption(QFileDialog::DontUseNativeDialog);
    arquivo.setAcceptMode(QFileDialog::AcceptSave);
    auto* nome = arquivo.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    ASSERT_TRUE(nome);
    EXPECT_EQ(nome->text(), QStringLiteral("&Nome do arquivo:"));
    // Its "Tipo" column names a folder in Portuguese too.
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("Pasta"));
}

TEST_F(Teclado, F2AndF3ClickTheirButtonsOnlyWhileTheyCanBeSeenAndTheTipsNameThem) {
    abreLista();
    EXPECT_EQ(form->BitBtn14->toolTip(), QStringLiteral("Nova conta (F2)"));
    EXPECT_EQ(form->BitBtn11->toolTip(), QStringLiteral("Detalhes da Conta (F3)"));
    lista->DBGrid5->setFocus();
    tecla(Qt::Key_F3);
    EXPECT_FALSE(form->listaVisivel());
    EXPECT_EQ(form->BitBtn11->text(), QStringLiteral("Voltar"));
    EXPECT_EQ(form->BitBtn11->toolTip(), QStringLiteral("Voltar (F3)"));
    EXPECT_EQ(foco(), form->BitBtn11) << "as a click leaves it";
    // "Nova conta" is hidden in the details: F2 does nothing there.
    tecla(Qt::Key_F2);
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Edit);
    // F3 from a field leaves it as a click would: the typed text is written.
    c().DBEdit18->setFocus();
    c().DBEdit18->selectAll();
    QTest::keyClicks(c().DBEdit18, QStringLiteral("999"));
    tecla(Qt::Key_F3);
    ASSERT_TRUE(form->listaVisivel()) << env.messages.join('|').toStdString();
    EXPECT_EQ(form->BitBtn11->toolTip(), QStringLiteral("Detalhes da Conta (F3)"));
    EXPECT_TRUE(isReachable(foco())) << foco()->objectName().toStdString();
    tecla(Qt::Key_F2);
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Insert);
    EXPECT_EQ(foco(), c().DBEdit10);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();

    fb::Transaction tr = dbs->shared().startTransaction();
    fb::Cursor cur = tr.open("select NFISCAL from CONTASPR where CODIGOCPR = 417");
    ASSERT_TRUE(cur.fetch());
    EXPECT_EQ(cur.asText(0), "999");
    tr.commit();
}

TEST_F(Teclado, UnderTheLoginPanelTheFunctionKeysOfTheWindowDoNothing) {
    QFile::remove(env.suiteFile(QStringLiteral("SaltaCP.db")));
    abreLista();
    ASSERT_TRUE(form->login->PainelLogin->isVisible());
    for (int k : {Qt::Key_F2, Qt::Key_F3, Qt::Key_F5}) tecla(k);
    EXPECT_TRUE(form->listaVisivel());
    EXPECT_EQ(dm->CONTASPR.state(), RecordSetState::Browse);
    EXPECT_TRUE(form->login->PainelLogin->isAncestorOf(foco()));
    // Tab goes round the box and never under it.
    for (int i = 0; i < 6; ++i) {
        tecla(Qt::Key_Tab);
        EXPECT_TRUE(form->login->PainelLogin->isAncestorOf(foco()));
    }
    tecla(Qt::Key_F1);
    ASSERT_TRUE(form->teclas->janelaAjuda());
    EXPECT_TRUE(form->teclas->textoAjuda().contains(QStringLiteral("Cancela")));
    EXPECT_FALSE(form->teclas->textoAjuda().contains(QStringLiteral("F2")));
}

TEST_F(Teclado, F9SettlesCtrlF9UndoesOnlyOnASettledRowAndF5BuildsTheListAgain) {
    abreLista();
    EXPECT_EQ(lista->Quitarestaconta1->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_EQ(lista->Cancelarquitao1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F9));
    lista->DBGrid5->setFocus();
    ASSERT_EQ(dm->Query2.rowCount(), 1);  // the unpaid view: installment 1
    EXPECT_FALSE(lista->Cancelarquitao1->isEnabled());
    tecla(Qt::Key_F9, Qt::ControlModifier);
    EXPECT_TRUE(env.messages.isEmpty()) << "nothing to undo: the key is not taken";
    tecla(Qt::Key_F9);
    EXPECT_EQ(pagamento(11).second, 15000);
    EXPECT_EQ(dm->Query2.rowCount(), 0);

    lista->BitBtn2Click();  // all installments: both settled now
    lista->DBGrid5->setFocus();
    EXPECT_TRUE(lista->Cancelarquitao1->isEnabled());
    tecla(Qt::Key_F9, Qt::ControlModifier);
    // Open again: neither a payment date nor an amount paid.
    EXPECT_EQ(pagamento(11).second, std::nullopt);
    EXPECT_EQ(pagamento(11).first, std::nullopt);
    EXPECT_EQ(pagamento(12).second, 15000);

    // Another workstation adds an installment; F5 shows it, with the totals.
    parcela(13, 417, 3, QDate(2024, 3, 25), 5000);
    dbs->release();
    const QString antes = aPagar();
    lista->DBEdit5->setFocus();  // anywhere in the list view
    tecla(Qt::Key_F5);
    EXPECT_EQ(dm->Query2.rowCount(), 3);
    EXPECT_NE(aPagar(), antes);
    EXPECT_EQ(aPagar(), QStringLiteral("R$ 200,00"));
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
}

TEST_F(Teclado, F1ListsTheKeysOfTheScreenInView) {
    abreLista();
    lista->DBGrid5->setFocus();
    tecla(Qt::Key_F1);
    QDialog* ajuda = form->teclas->janelaAjuda();
    ASSERT_TRUE(ajuda);
    EXPECT_TRUE(ajuda->isVisible());
    const QString naLista = ajuda->findChild<QLabel*>()->text();
    for (const char* k : {"F2", "F3", "F5", "F9", "Ctrl+F9", "Ctrl+Tab", "Alt+P", "Ctrl+F"})
        EXPECT_TRUE(naLista.contains(QString::fromLatin1(k))) << k;
    EXPECT_TRUE(naLista.contains(QStringLiteral("Quitar esta conta")));
    QTest::keyClick(ajuda, Qt::Key_Escape);
    EXPECT_FALSE(ajuda->isVisible());

    form->BitBtn11->click();
    const QString nosDetalhes = form->teclas->textoAjuda();
    EXPECT_TRUE(nosDetalhes.contains(QStringLiteral("Voltar")));
    EXPECT_TRUE(nosDetalhes.contains(QStringLiteral("Ctrl+B")));
    EXPECT_FALSE(nosDetalhes.contains(QStringLiteral("F9"))) << "the list's keys are out of reach";
    EXPECT_FALSE(nosDetalhes.contains(QStringLiteral("F2")));
}

TEST_F(Teclado, CtrlTabLeavesEitherGridAndTabNeverLandsUnderTheList) {
    abreLista();
    lista->DBGrid5->setFocus();
    tecla(Qt::Key_Tab);
    EXPECT_EQ(foco(), lista->DBGrid5) << "Tab moves between the cells";
    tecla(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_NE(foco(), lista->DBGrid5);
    EXPECT_EQ(foco(), lista->DBEdit5) << foco()->objectName().toStdString();
    lista->DBGrid5->setFocus();
    tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(foco(), form->BitBtn11) << foco()->objectName().toStdString();

    // Round the list view with Tab (out of the grid with Ctrl+Tab): only
    // what can be seen, and every button is reached.
    form->BitBtn14->setFocus();
    QSet<QWidget*> visitados;
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(isReachable(foco())) << foco()->objectName().toStdString();
        EXPECT_FALSE(c().DBEdit10->isAncestorOf(foco()) || foco() == c().DBEdit10);
        visitados << foco();
        tecla(Qt::Key_Tab, foco() == lista->DBGrid5 ? Qt::ControlModifier : Qt::NoModifier);
    }
    for (QWidget* w : {static_cast<QWidget*>(form->BitBtn14), static_cast<QWidget*>(form->BitBtn11),
                       static_cast<QWidget*>(form->BitBtn3), static_cast<QWidget*>(lista->DBGrid5),
                       static_cast<QWidget*>(lista->DBEdit5)})
        EXPECT_TRUE(visitados.contains(w)) << w->objectName().toStdString();
    EXPECT_FALSE(visitados.contains(lista->Button1)) << "it lies under the start date";
}

TEST_F(Teclado, InTheDetailsShiftTabGoesBackInTheReverseOfTheEnterOrderAndEscLeavesTheGrid) {
    abreLista();
    form->BitBtn11->click();
    ASSERT_FALSE(form->listaVisivel());
    c().DBGrid4->setFocus();
    tecla(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(foco(), form->BitBtn11) << "\"Voltar\" comes after the installments";
    tecla(Qt::Key_Backtab);
    EXPECT_EQ(foco(), c().DBGrid4);
    // The installment opened in edit mode: the first Esc abandons its
    // changes, the next goes back to the field before the grid.
    tecla(Qt::Key_Escape);
    tecla(Qt::Key_Escape);
    EXPECT_EQ(foco(), c().DBComboBox1);
    QStringList voltando{foco()->objectName()};
    for (int i = 0; i < 6; ++i) {
        tecla(Qt::Key_Backtab, Qt::ShiftModifier);
        voltando << foco()->objectName();
    }
    EXPECT_EQ(voltando, (QStringList{"DBComboBox1", "DBEdit18", "DBEdit15", "DBEdit12", "DBEdit11",
                                     "DBEdit2", "DBEdit10"}));
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
    // Ctrl+Shift+Tab leaves the grid backwards too. (Leaving "Despesa" for
    // the grid sends the focus on to "Descrição" first.)
    c().DBGrid4->setFocus();
    c().DBGrid4->setFocus();
    ASSERT_EQ(foco(), c().DBGrid4);
    tecla(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(foco(), c().DBComboBox1);

    // Back to the list with the focus in a field: it does not stay under the
    // list.
    c().DBEdit12->setFocus();
    form->BitBtn11->click();
    ASSERT_TRUE(form->listaVisivel());
    EXPECT_TRUE(isReachable(foco())) << foco()->objectName().toStdString();
}

TEST_F(Teclado, AnAmountCellRefusesLettersAndCtrlTabWritesTheCellAndLeavesTheGrid) {
    abreLista();
    form->BitBtn11->click();
    DBGrid* grade = c().DBGrid4;
    grade->setFocus();
    grade->setFocus();
    ASSERT_EQ(foco(), grade);
    grade->setCurrentColumn(2);  // "Valor R$"
    QTest::keyClick(grade, Qt::Key_1, Qt::NoModifier);
    auto* editor = qobject_cast<QLineEdit*>(foco());
    ASSERT_TRUE(editor) << "typing opened the cell";
    QTest::keyClicks(editor, QStringLiteral(".2a34,5,6"));
    EXPECT_EQ(editor->text(), QStringLiteral("1.234,56"));
    tecla(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(foco(), form->BitBtn11) << foco()->metaObject()->className();
    EXPECT_EQ(dm->Parcelas.field("VALORPARCELA").asMoney(), 123456);
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('|').toStdString();
}

// Every node of the window's accessibility tree that a screen reader lets
// the operator type into or press, with what it reads for its name.
struct NoAcessivel {
    QAccessible::Role papel;
    QString nome;
    QString objeto;  // the widget's object name, to tell which one has none
};

void percorre(QAccessibleInterface* no, QList<NoAcessivel>& out, int fundo = 0) {
    if (!no || fundo > 40) return;
    const QAccessible::Role papel = no->role();
    const bool interessa = papel == QAccessible::EditableText || papel == QAccessible::PushButton ||
                           papel == QAccessible::ComboBox || papel == QAccessible::Table ||
                           papel == QAccessible::ColumnHeader || no->state().editable;
    if (interessa) {
        QObject* o = no->object();
        out.push_back({papel, no->text(QAccessible::Name),
                       o ? o->objectName() + QLatin1Char('/') +
                               QString::fromLatin1(o->metaObject()->className())
                         : QStringLiteral("?")});
    }
    // A table's cells are its rows' data; its column titles are checked.
    if (papel == QAccessible::Cell || papel == QAccessible::Row) return;
    for (int i = 0; i < no->childCount(); ++i) percorre(no->child(i), out, fundo + 1);
}

TEST_F(Teclado, EveryFieldButtonAndGridOfTheWindowHasANameForScreenReaders) {
    abreLista();
    const auto semNome = [&] {
        QList<NoAcessivel> nos;
        percorre(QAccessible::queryAccessibleInterface(form), nos);
        QStringList faltam;
        for (const NoAcessivel& n : nos)
            if (n.nome.trimmed().isEmpty()) faltam << n.objeto;
        EXPECT_GT(nos.size(), 30) << "the tree was walked";
        return faltam;
    };
    EXPECT_TRUE(semNome().isEmpty()) << semNome().join(QLatin1Char(' ')).toStdString();
    form->BitBtn11->click();  // the details view
    EXPECT_TRUE(semNome().isEmpty()) << semNome().join(QLatin1Char(' ')).toStdString();

    // The names are the fields' own captions.
    QAccessibleInterface* valor = QAccessible::queryAccessibleInterface(c().DBEdit11);
    EXPECT_EQ(valor->text(QAccessible::Name), QStringLiteral("Valor em R$"));
    EXPECT_EQ(c().Label12->buddy(), c().DBEdit11);
    QAccessibleInterface* condicao = QAccessible::queryAccessibleInterface(c().DBComboBox1);
    EXPECT_EQ(condicao->text(QAccessible::Name), QStringLiteral("Condição de Pagto"));
    // Tips on the buttons and the totals.
    for (QWidget* w : form->findChildren<QPushButton*>())
        EXPECT_FALSE(w->toolTip().isEmpty()) << w->objectName().toStdString();
    EXPECT_FALSE(lista->Label2->toolTip().isEmpty());
    EXPECT_FALSE(lista->Label15->toolTip().isEmpty());
}

}  // namespace
}  // namespace cp::test
