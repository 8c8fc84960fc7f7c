// The window driven by the keyboard alone, in Portuguese: Qt's own dialogs,
// the function keys, leaving the grids, where the focus may land, and the
// names a screen reader gives the controls.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "payables/ListaFixture.h"

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
    }
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
}

}  // namespace
}  // namespace cp::test
