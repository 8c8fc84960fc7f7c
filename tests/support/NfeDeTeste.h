// NF-e files as the suppliers' systems write them, for the tests and the
// benchmark of the import: an authorised nfeProc of layout 4.00 whose parts
// each test changes. An empty field leaves its element out.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QString>
#include <QStringList>
#include <string>

#include "suite/nfe/ChaveAcesso.h"

namespace cp::test {

// The 44 characters of a key of CNPJ `cnpj` (14) and invoice `numero`,
// series 1, March 2024, with its right check digit.
inline QString chaveNfe(const std::string& cnpj, int numero) {
    const std::string k43 = "352403" + cnpj + "55001" +
                            QString::number(numero).rightJustified(9, u'0').toStdString() +
                            "112345678";
    return QString::fromStdString(k43 + std::to_string(*digitoDaChave(k43)));
}

struct NfeDeTeste {
    std::string cnpj = "11222333000181";
    int numero = 12345;
    QString cStat = QStringLiteral("100");
    QString dhEmi = QStringLiteral("2024-03-05T10:20:30-03:00");
    QString vNF = QStringLiteral("1234.56");
    QString xNome = QStringLiteral("Distribuidora Farmacêutica São José Ltda");
    QString xFant = QStringLiteral("Farmajosé");
    // nDup|dVenc|vDup
    QStringList dups = {QStringLiteral("001|2024-04-04|400.00"),
                        QStringLiteral("002|2024-05-04|400.00"),
                        QStringLiteral("003|2024-06-03|434.56")};
    QString tPag = QStringLiteral("15");
    QString prologo;  // before the root (a DTD, for instance)

    QString chave() const { return chaveNfe(cnpj, numero); }

    // `dups` = n installments of `valor` cents each, monthly from April 2024,
    // and a total that matches.
    void parcelasIguais(int n, std::int64_t valor) {
        dups.clear();
        for (int i = 0; i < n; ++i)
            dups << QStringLiteral("%1|%2|%3.%4")
                        .arg(i + 1, 3, 10, QChar(u'0'))
                        .arg(QDate(2024, 4, 4).addMonths(i).toString(Qt::ISODate))
                        .arg(valor / 100)
                        .arg(valor % 100, 2, 10, QChar(u'0'));
        const std::int64_t total = valor * n;
        vNF = QStringLiteral("%1.%2").arg(total / 100).arg(total % 100, 2, 10, QChar(u'0'));
    }

    static QString el(const char* nome, const QString& v) {
        return v.isEmpty() ? QString() : QStringLiteral("<%1>%2</%1>").arg(QLatin1String(nome), v);
    }

    QByteArray xml() const {
        QString cobr;
        for (const QString& d : dups) {
            const QStringList p = d.split(u'|');
            cobr += QStringLiteral("<dup>%1%2%3</dup>")
                        .arg(el("nDup", p[0]), el("dVenc", p[1]), el("vDup", p[2]));
        }
        const QString k = chave();
        const QString inf =
            QStringLiteral(
                "<infNFe versao=\"4.00\" Id=\"NFe%1\"><ide><cUF>35</cUF><natOp>VENDA</natOp>"
                "<mod>55</mod><serie>1</serie><nNF>%2</nNF>%3</ide><emit><CNPJ>%4</CNPJ>%5%6"
                "</emit><det nItem=\"1\"><prod><cProd>7891</cProd><xProd>LACTOSE 1KG</xProd>"
                "</prod></det><total><ICMSTot>%7</ICMSTot></total>%8<pag><detPag>%9"
                "</detPag></pag></infNFe>")
                .arg(k, QString::number(numero), el("dhEmi", dhEmi), QString::fromStdString(cnpj),
                     el("xNome", xNome), el("xFant", xFant), el("vNF", vNF),
                     cobr.isEmpty() ? QString() : QStringLiteral("<cobr>%1</cobr>").arg(cobr),
                     el("tPag", tPag));
        const QString prot = cStat.isEmpty()
                                 ? QString()
                                 : QStringLiteral(
                                       "<protNFe versao=\"4.00\"><infProt><chNFe>%1</chNFe>"
                                       "<cStat>%2</cStat><xMotivo>Situação %2</xMotivo>"
                                       "</infProt></protNFe>")
                                       .arg(k, cStat);
        return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + prologo +
                QStringLiteral("<nfeProc versao=\"4.00\" xmlns=\"http://www.portalfiscal.inf.br/"
                               "nfe\"><NFe>%1</NFe>%2</nfeProc>")
                    .arg(inf, prot))
            .toUtf8();
    }

    // Writes the file at `caminho`; returns the path.
    QString grava(const QString& caminho) const {
        QFile f(caminho);
        if (f.open(QIODevice::WriteOnly)) f.write(xml());
        return caminho;
    }
};

}  // namespace cp::test
