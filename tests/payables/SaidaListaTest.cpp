// Copies of the due list (spreadsheet file, PDF, print preview) read back and
// compared with the database, the keyboard and menu ways to them, and the
// totals bar with large amounts.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <map>
#include <tuple>

#include "ListaFixture.h"
#include "data/Cp1252.h"
#include "payables/ExportaLista.h"
#include "payables/SaidaLista.h"
#include "shell/PagePreview.h"

namespace cp::test {

namespace {

const QDate d1Mar(2024, 3, 1), d31Mar(2024, 3, 31);

// One line of the spreadsheet file, its fields unquoted.
QStringList camposCsv(const QString& linha) {
    QStringList out;
    QString campo;
    bool aspas = false;
    for (int i = 0; i < linha.size(); ++i) {
        const QChar c = linha[i];
        if (aspas) {
            if (c == u'"' && i + 1 < linha.size() && linha[i + 1] == u'"') {
                campo += c;
                ++i;
            } else if (c == u'"') {
                aspas = false;
            } else {
                campo += c;
            }
        } else if (c == u'"') {
            aspas = true;
        } else if (c == u';') {
            out << campo;
            campo.clear();
        } else {
            campo += c;
        }
    }
    out << campo;
    return out;
}

QString centavos(std::int64_t v) {  // the file's form of an amount
    const QString s = QString::number(std::abs(v) / 100) + u',' +
                      QStringLiteral("%1").arg(std::abs(v) % 100, 2, 10, QLatin1Char('0'));
    return v < 0 ? u'-' + s : s;
}

// What the database says the list holds, with the list's own rule for what
// is paid and what is still to pay.
struct Esperado {
    struct Sub {
        int parcelas = 0;
        std::int64_t aPagar = 0, pago = 0;
        bool operator==(const Sub&) const = default;
    };
    std::vector<QStringList> linhas;  // the ten fields as the file writes them, sorted
    std::map<QString, Sub> porDia;    // "dd/mm/aaaa"
    std::map<QString, Sub> porFornecedor;
    std::int64_t aPagar = 0, pago = 0;
};

std::int64_t emCentavos(const fb::Decimal& d) {
    std::int64_t v = d.value;
    for (int s = d.scale; s > 2; --s) v /= 10;
    for (int s = d.scale; s < 2; ++s) v *= 10;
    return v;
}

QString dataFb(const fb::Date& d) {
    return QDate(d.year, d.month, d.day).toString(QStringLiteral("dd/MM/yyyy"));
}

}  // namespace

class SaidaListaTeste : public ListaTeste {
  protected:
    void SetUp() override {
        ListaTeste::SetUp();
        ASSERT_TRUE(pasta.isValid());
    }

    void contaCom(I codigo, const QString& fornecedor, const QString& descricao,
                  const QString& nf = QStringLiteral("123")) {
        dbs->shared().execute(
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, NOMECLIFOR, DESCRICAO, NFISCAL) "
            "values (?, '01', 'P', ?, ?, ?)",
            {codigo, toCp1252OrThrow(fornecedor), toCp1252OrThrow(descricao), toCp1252OrThrow(nf)});
    }

    // 100,000 installments over 500 accounts of 7 suppliers (one with an
    // accent) in March 2024, a fifth of them paid.
    void cemMil() {
        fb::Attachment& a = dbs->shared();
        a.execute(toCp1252OrThrow(QStringLiteral(
            "execute block as declare i integer = 1; begin while (i <= 500) do begin "
            "insert into CONTASPR (CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, NOMECLIFOR, NFISCAL) "
            "values (:i, '01', 'P', 'MATÉRIA-PRIMA ' || :i, 'FARMÁCIA ' || mod(:i, 7), :i); "
            "i = i + 1; end end")));
        a.execute(
            "execute block as declare i integer = 1; begin while (i <= 100000) do begin "
            "insert into PARCELAS (CODIGOPARC, CODIGOCPR, ESTACAO, NUMPARCELA, VALORPARCELA, "
            "DATAVENCIM, NUMDOCUMENTO, VALORPAGO, DATAPAGTO) values (:i, mod(:i, 500) + 1, '01', "
            ":i / 500 + 1, mod(:i, 9973) + 0.37, "
            "dateadd(mod(:i, 31) day to date '2024-03-01'), :i, "
            "iif(mod(:i, 5) = 0, mod(:i, 9973) + 0.37, null), "
            "iif(mod(:i, 5) = 0, date '2024-03-10', null)); i = i + 1; end end");
    }

    Esperado doBanco(bool apenasAPagar, bool comLinhas = true) {
        Esperado e;
        fb::Transaction tr = dbs->shared().startTransaction();
        const std::string filtro = apenasAPagar ? kFiltroAPagar : "";
        const std::string de =
            " from PARCELAS A, CONTASPR B where B.NATUREZA = 'P' and A.CODIGOCPR = B.CODIGOCPR "
            "and A.DATAVENCIM between '2024-03-01' and '2024-03-31'" +
            filtro;
        if (comLinhas) {
            fb::Cursor c = tr.open(
                "select A.DATAVENCIM, B.DESCRICAO, B.NOMECLIFOR, B.NFISCAL, A.NUMPARCELA, "
                "A.VALORPARCELA, A.DATAPAGTO, A.VALORPAGO, A.NUMDOCUMENTO, A.CODIGOCPR" +
                de);
            while (c.fetch()) {
                QStringList l;
                const auto texto = [&](unsigned i) {
                    return c.isNull(i) ? QString() : fromCp1252(c.asText(i));
                };
                const auto inteiro = [&](unsigned i) {
                    return c.isNull(i) ? QString() : QString::number(c.asInt64(i));
                };
                const auto valor = [&](unsigned i) {
                    return c.isNull(i) ? QString() : centavos(emCentavos(c.asDecimal(i)));
                };
                const auto data = [&](unsigned i) {
                    return c.isNull(i) ? QString() : dataFb(c.asDate(i));
                };
                l << data(0) << texto(1) << texto(2) << texto(3) << inteiro(4) << valor(5)
                  << data(6) << valor(7) << inteiro(8) << inteiro(9);
                e.linhas.push_back(l);
            }
            std::sort(e.linhas.begin(), e.linhas.end());
        }
        const std::string somas =
            ", count(*), sum(iif(coalesce(A.VALORPAGO, 0) = 0, coalesce(A.VALORPARCELA, 0), 0)), "
            "sum(iif(coalesce(A.VALORPAGO, 0) <> 0, A.VALORPAGO, 0))";
        fb::Cursor d = tr.open("select A.DATAVENCIM" + somas + de + " group by 1");
        while (d.fetch()) {
            Esperado::Sub s{static_cast<int>(d.asInt64(1)), emCentavos(d.asDecimal(2)),
                            emCentavos(d.asDecimal(3))};
            e.porDia[dataFb(d.asDate(0))] = s;
            e.aPagar += s.aPagar;
            e.pago += s.pago;
        }
        fb::Cursor f = tr.open("select B.NOMECLIFOR" + somas + de + " group by 1");
        while (f.fetch())
            e.porFornecedor[fromCp1252(f.asText(0))] = {static_cast<int>(f.asInt64(1)),
                                                        emCentavos(f.asDecimal(2)),
                                                        emCentavos(f.asDecimal(3))};
        return e;
    }

    // Writes a copy and waits for the background work to end.
    bool grava(bool pdf, const QString& caminho) {
        QSignalSpy fim(lista->Saida, &SaidaLista::terminou);
        EXPECT_TRUE(pdf ? lista->Saida->gravaPdf(caminho) : lista->Saida->gravaPlanilha(caminho));
        EXPECT_TRUE(fim.wait(120000));
        return !fim.isEmpty() && fim.first().at(0).toBool();
    }

    // The spreadsheet file's lines; checks its byte-order mark and line ends.
    QStringList leCsv(const QString& caminho) {
        QFile f(caminho);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        QStringList linhas = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
        linhas.removeLast();
        return linhas;
    }

    // The file compared with the database: header, rows (in the list's
    // order, as a set equal to the database's), subtotals and totals.
    void confereCsv(const QString& caminho, const Esperado& e, const QString& exibicao) {
        const QStringList linhas = leCsv(caminho);
        ASSERT_GT(linhas.size(), 14);
        EXPECT_EQ(linhas[1], QStringLiteral("Período;01/03/2024;a;31/03/2024"));
        EXPECT_EQ(linhas[2], QStringLiteral("Exibição;") + exibicao);
        EXPECT_EQ(linhas[3], QStringLiteral("Área de trabalho;01"));
        EXPECT_EQ(linhas[5], QStringLiteral("Emitido em;20/03/2024 09:30"));
        EXPECT_EQ(linhas[7], QStringLiteral("Data Venc.;Descrição;Fornecedor;N. Fiscal;Parc.;"
                                            "Valor R$;Data Pgto.;Val Pago R$;N. Docum.;CODIGOCPR;"
                                            "Linha digitável / código PIX"));
        int i = 8;
        std::vector<QStringList> rows;
        RecordSet& q = dm->Query2;
        const int codParc = q.fieldIndex("NUMDOCUMENTO");
        for (; i < linhas.size() && !linhas[i].isEmpty(); ++i) {
            QStringList campos = camposCsv(linhas[i]);
            ASSERT_EQ(campos.size(), 11) << linhas[i].toStdString();
            EXPECT_TRUE(campos[10].isEmpty()) << "no slip is kept in these lists";
            campos.removeLast();
            // In the list's order.
            const int r = static_cast<int>(rows.size());
            ASSERT_LT(r, q.rowCount());
            EXPECT_EQ(campos[8], QString::fromStdString(q.displayTextAt(r, codParc)));
            for (int k : {1, 2, 3})  // a formula-like text is kept as text
                if (campos[k].startsWith(u'\'')) campos[k].remove(0, 1);
            rows.push_back(campos);
        }
        EXPECT_EQ(static_cast<int>(rows.size()), q.rowCount());
        std::sort(rows.begin(), rows.end());
        EXPECT_TRUE(rows == e.linhas) << "rows differ from the database";

        ASSERT_LT(i + 2, linhas.size());
        EXPECT_EQ(linhas[++i], QStringLiteral("Subtotais por vencimento"));
        EXPECT_EQ(linhas[++i], QStringLiteral("Data Venc.;Parcelas;A pagar R$;Pago R$"));
        EXPECT_TRUE(secao(linhas, i) == e.porDia) << "subtotals per due date differ";
        EXPECT_EQ(linhas[++i], QStringLiteral("Subtotais por fornecedor"));
        EXPECT_EQ(linhas[++i], QStringLiteral("Fornecedor;Parcelas;A pagar R$;Pago R$"));
        EXPECT_TRUE(secao(linhas, i) == e.porFornecedor) << "subtotals per supplier differ";
        ASSERT_EQ(linhas.size(), i + 3);
        EXPECT_EQ(linhas[i + 1], QStringLiteral("Total a pagar R$;") + centavos(e.aPagar));
        EXPECT_EQ(linhas[i + 2], QStringLiteral("Total pago R$;") + centavos(e.pago));
    }

    // One subtotal section of the file, by its first field; `i` ends on the
    // blank line after it.
    static std::map<QString, Esperado::Sub> secao(const QStringList& linhas, int& i) {
        std::map<QString, Esperado::Sub> out;
        for (++i; i < linhas.size() && !linhas[i].isEmpty(); ++i) {
            const QStringList c = camposCsv(linhas[i]);
            EXPECT_EQ(c.size(), 4) << linhas[i].toStdString();
            if (c.size() == 4)
                out[c[0]] = {c[1].toInt(), QString(c[2]).remove(u',').toLongLong(),
                             QString(c[3]).remove(u',').toLongLong()};
        }
        return out;
    }

    // The PDF's text as poppler reads it, one page after another, runs of
    // blanks made one.
    QStringList textoPdf(const QString& caminho) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                 caminho, QStringLiteral("-")});
        EXPECT_TRUE(p.waitForFinished(300000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        QStringList out;
        for (QString l : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n')) {
            l = l.simplified();
            if (!l.isEmpty()) out << l;
        }
        return out;
    }

    // In PDF form: amounts grouped by thousands ("1.234,56").
    static QString impresso(std::int64_t v) {
        QString s = centavos(v);
        const int virgula = static_cast<int>(s.indexOf(u','));
        const int inicio = s.startsWith(u'-') ? 1 : 0;
        for (int k = virgula - 3; k > inicio; k -= 3) s.insert(k, u'.');
        return s;
    }

    void conferePdf(const QString& caminho, const Esperado& e, bool linhaALinha) {
        const QStringList t = textoPdf(caminho);
        ASSERT_FALSE(t.isEmpty());
        const QRegularExpression pagina(QStringLiteral("página (\\d+) de (\\d+)$"));
        const QRegularExpression subtotal(QStringLiteral(
            "^Subtotal de (\\S+) \\((\\d+) parcelas?\\) A pagar: (\\S+) Pago: (\\S+)$"));
        const QRegularExpression linha(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} "));
        int paginas = 0, ultima = 0, linhas = 0;
        std::map<QString, Esperado::Sub> porDia;
        std::vector<QString> textos;
        bool fornecedores = false;
        std::map<QString, QString> porFornecedor;
        for (const QString& l : t) {
            if (const auto m = pagina.match(l); m.hasMatch()) {
                EXPECT_EQ(m.captured(1).toInt(), ++paginas);
                ultima = m.captured(2).toInt();
                continue;
            }
            if (l.startsWith(QStringLiteral("Emitido em")) ||
                l.startsWith(QStringLiteral("Período:")))
                continue;
            if (const auto m = subtotal.match(l); m.hasMatch()) {
                const auto s = e.porDia.find(m.captured(1));
                EXPECT_NE(s, e.porDia.end()) << l.toStdString();
                if (s == e.porDia.end()) continue;
                EXPECT_EQ(m.captured(2).toInt(), s->second.parcelas);
                EXPECT_EQ(m.captured(3), impresso(s->second.aPagar));
                EXPECT_EQ(m.captured(4), impresso(s->second.pago));
                porDia[m.captured(1)] = s->second;
                continue;
            }
            if (l == QStringLiteral("Subtotais por fornecedor")) fornecedores = true;
            if (fornecedores) {
                for (const auto& [nome, s] : e.porFornecedor)
                    if (l.startsWith(nome.simplified() + u' '))
                        porFornecedor[nome] = l.mid(nome.simplified().size() + 1);
                continue;
            }
            if (linha.match(l).hasMatch()) {
                ++linhas;
                if (linhaALinha) textos.push_back(l);
            }
        }
        EXPECT_EQ(paginas, ultima);
        EXPECT_EQ(linhas, static_cast<int>(e.linhas.size()));
        EXPECT_EQ(porDia.size(), e.porDia.size());
        ASSERT_EQ(porFornecedor.size(), e.porFornecedor.size());
        for (const auto& [nome, s] : e.porFornecedor)
            EXPECT_EQ(porFornecedor[nome], QStringLiteral("%1 %2 %3")
                                               .arg(s.parcelas)
                                               .arg(impresso(s.aPagar), impresso(s.pago)));
        EXPECT_TRUE(t.contains(QStringLiteral("Total a pagar: R$ ") + impresso(e.aPagar)));
        EXPECT_TRUE(t.contains(QStringLiteral("Total pago: R$ ") + impresso(e.pago)));
        if (!linhaALinha) return;
        std::vector<QString> esperadas;
        for (QStringList l : e.linhas) {
            l[5] = l[5].isEmpty() ? l[5] : impresso(l[5].remove(u',').toLongLong());
            l[7] = l[7].isEmpty() ? l[7] : impresso(l[7].remove(u',').toLongLong());
            l.removeAll(QString());
            esperadas.push_back(l.join(u' ').simplified());
        }
        std::sort(textos.begin(), textos.end());
        std::sort(esperadas.begin(), esperadas.end());
        EXPECT_EQ(textos, esperadas);
    }

    QTemporaryDir pasta;
};

TEST_F(SaidaListaTeste, CopiesOfAListWithAccentsAndAQuotedSupplierMatchTheDatabase) {
    periodo(d1Mar, d31Mar);
    contaCom(1, QStringLiteral("FARMÁCIA SÃO JOÃO"), QStringLiteral("MATÉRIA-PRIMA AÇÚCAR"));
    contaCom(2, QStringLiteral("DROGA \"BOA\"; CIA"), QStringLiteral("=SOMA(A1)"),
             QStringLiteral("7;8"));
    contaCom(3, QStringLiteral("ÓTICA"), QStringLiteral("FRASCOS"));
    parcela(1, 1, 1, QDate(2024, 3, 5), 123456);
    parcela(2, 2, 1, QDate(2024, 3, 5), 1000, 1000, QDate(2024, 3, 5));
    parcela(3, 2, 2, QDate(2024, 3, 9), 250075);
    parcela(4, 3, 1, QDate(2024, 3, 31), 99, 40, QDate(2024, 3, 30));
    parcela(5, 1, 2, QDate(2024, 4, 2), 777);  // outside the period
    abreLista();
    lista->BitBtn2Click();  // all installments
    const Esperado todas = doBanco(false);
    ASSERT_EQ(todas.linhas.size(), 4u);

    const QString csv = pasta.filePath(QStringLiteral("lista.csv"));
    ASSERT_TRUE(grava(false, csv));
    confereCsv(csv, todas, QStringLiteral("todas as parcelas (pagas e a pagar)"));
    // A text with ";" or a quote is quoted, its quotes doubled; a text that
    // looks like a formula is kept as text.
    const QStringList linhas = leCsv(csv);
    EXPECT_TRUE(linhas.contains(QStringLiteral(
        "05/03/2024;'=SOMA(A1);\"DROGA \"\"BOA\"\"; CIA\";\"7;8\";1;10,00;05/03/2024;10,00;;2;")));

    const QString pdf = pasta.filePath(QStringLiteral("lista.pdf"));
    ASSERT_TRUE(grava(true, pdf));
    conferePdf(pdf, todas, true);
    const QStringList t = textoPdf(pdf);
    EXPECT_EQ(t.first(), QStringLiteral("Todas as Contas Emitido em 20/03/2024 às 09:30"));
    EXPECT_TRUE(t.contains(QStringLiteral(
        "Período: 01/03/2024 a 31/03/2024 Exibição: todas as parcelas (pagas e a pagar)")));
    ASSERT_FALSE(form->sessao.NomeUsuario.empty());
    EXPECT_TRUE(t.contains(QStringLiteral("Área de trabalho: 01 Operador: ") +
                           fromCp1252(form->sessao.NomeUsuario.str())))
        << t.join(u'\n').toStdString();
    EXPECT_EQ(t.last(), QStringLiteral("BRUNDELO - Financeiro página 1 de 1"));

    // The unpaid view, as shown after the switch.
    lista->BitBtn2Click();
    const Esperado aPagar = doBanco(true);
    ASSERT_EQ(aPagar.linhas.size(), 2u);
    ASSERT_TRUE(grava(false, csv));  // replaces the earlier file
    confereCsv(csv, aPagar, QStringLiteral("apenas as parcelas a pagar"));
    ASSERT_TRUE(grava(true, pdf));
    conferePdf(pdf, aPagar, true);
    EXPECT_EQ(textoPdf(pdf).first(),
              QStringLiteral("Contas a Pagar Emitido em 20/03/2024 às 09:30"));
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

TEST_F(SaidaListaTeste, AnEmptyListGivesHeadersAndZeroTotals) {
    periodo(d1Mar, d31Mar);
    abreLista();
    const Esperado nada = doBanco(true);
    const QString csv = pasta.filePath(QStringLiteral("vazia.csv"));
    ASSERT_TRUE(grava(false, csv));
    confereCsv(csv, nada, QStringLiteral("apenas as parcelas a pagar"));
    const QString pdf = pasta.filePath(QStringLiteral("vazia.pdf"));
    ASSERT_TRUE(grava(true, pdf));
    conferePdf(pdf, nada, true);
    const QStringList t = textoPdf(pdf);
    EXPECT_TRUE(t.contains(QStringLiteral("Nenhuma parcela nesta lista.")));
    EXPECT_EQ(t.last(), QStringLiteral("BRUNDELO - Financeiro página 1 de 1"));
}

TEST_F(SaidaListaTeste, AWrittenFileIsNamedInTheStatusBarWithAWayToItsFolder) {
    periodo(d1Mar, d31Mar);
    abreLista();
    EXPECT_EQ(form->situacaoArquivo(), nullptr) << "nothing written yet";
    const QString csv = pasta.filePath(QStringLiteral("lista.csv"));
    ASSERT_TRUE(grava(false, csv));
    ASSERT_TRUE(form->situacaoArquivo());
    EXPECT_TRUE(form->situacaoArquivo()->isVisible());
    EXPECT_EQ(form->situacaoArquivo()->text(),
              QStringLiteral("A lista foi exportada para planilha: ") + csv);
    form->botaoAbrirPasta()->click();
    EXPECT_EQ(env.openedFolders, QStringList{QFileInfo(csv).absolutePath()});

    const QString pdf = pasta.filePath(QStringLiteral("lista.pdf"));
    ASSERT_TRUE(grava(true, pdf));
    EXPECT_EQ(form->situacaoArquivo()->text(), QStringLiteral("A lista foi salva em PDF: ") + pdf);
    // A copy that could not be written is not announced as saved.
    const QString semPasta = pasta.filePath(QStringLiteral("nao-existe/lista.csv"));
    EXPECT_FALSE(grava(false, semPasta));
    EXPECT_FALSE(form->situacaoArquivo()->text().contains(semPasta));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].contains(semPasta));
}

TEST_F(SaidaListaTeste, AHundredThousandRowsAreWrittenInTheBackgroundAndCanBeCancelled) {
    periodo(d1Mar, d31Mar);
    cemMil();
    abreLista();
    lista->BitBtn2Click();  // all installments, paid ones too
    ASSERT_EQ(dm->Query2.rowCount(), 100000);
    const Esperado e = doBanco(false);
    // The list's own totals agree with the database to the cent over the whole list.
    EXPECT_EQ(lista->Label2->text(), QStringLiteral("R$ ") + impresso(e.aPagar));
    EXPECT_EQ(lista->Label15->text(), QStringLiteral("R$ ") + impresso(e.pago));

    // Cancelled at once: nothing is left in the folder, not even a part.
    const QString csv = pasta.filePath(QStringLiteral("grande.csv"));
    {
        QSignalSpy fim(lista->Saida, &SaidaLista::terminou);
        ASSERT_TRUE(lista->Saida->gravaPlanilha(csv));
        EXPECT_TRUE(lista->Saida->ocupada());
        EXPECT_FALSE(lista->Saida->gravaPdf(csv + QStringLiteral(".pdf")));  // one at a time
        QProgressDialog* barra = lista->Saida->dialogoProgresso();
        ASSERT_NE(barra, nullptr);
        QPushButton* cancelar = barra->findChild<QPushButton*>();
        ASSERT_NE(cancelar, nullptr);
        cancelar->click();
        ASSERT_TRUE(fim.wait(60000));
        EXPECT_FALSE(fim.first().at(0).toBool());
        EXPECT_TRUE(QDir(pasta.path()).isEmpty());
    }

    // The window's thread goes on with its events while the file is written.
    int passos = 0;
    QTimer relogio;
    QObject::connect(&relogio, &QTimer::timeout, [&] { ++passos; });
    relogio.start(1);
    ASSERT_TRUE(grava(false, csv));
    EXPECT_GT(passos, 0);
    confereCsv(csv, e, QStringLiteral("todas as parcelas (pagas e a pagar)"));

    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();

    const QString pdf = pasta.filePath(QStringLiteral("grande.pdf"));
    ASSERT_TRUE(grava(true, pdf));
    conferePdf(pdf, e, false);
    EXPECT_EQ(QDir(pasta.path()).entryList(QDir::Files).size(), 2);

    // Paper, preview and PDF share one layout: the preview has the PDF's pages.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(60000));
    const auto paginas = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                             .match(QString::fromUtf8(info.readAllStandardOutput()));
    ASSERT_TRUE(paginas.hasMatch());
    lista->Saida->visualizaImpressao();
    PagePreview* previa = lista->Saida->previa();
    ASSERT_NE(previa, nullptr);
    EXPECT_EQ(previa->pageCount(), paginas.captured(1).toInt());
    EXPECT_GT(previa->pageCount(), 2000);
    previa->close();
}

TEST_F(SaidaListaTeste, AFileThatCannotBeWrittenIsReportedAndLeavesNothing) {
    periodo(d1Mar, d31Mar);
    abreLista();
    const QString caminho = pasta.filePath(QStringLiteral("nao-existe/lista.csv"));
    EXPECT_FALSE(grava(false, caminho));
    ASSERT_EQ(env.messages.size(), 1);
    EXPECT_TRUE(env.messages[0].startsWith(QStringLiteral("A lista não pôde ser gravada em ")))
        << env.messages[0].toStdString();
    EXPECT_FALSE(QFile::exists(caminho));
}

TEST_F(SaidaListaTeste, TheMenuKeepsTheSettlementEntriesFirstAndTheKeysReachTheCopies) {
    periodo(d1Mar, d31Mar);
    contaCom(1, QStringLiteral("FARMÁCIA SÃO JOÃO"), QStringLiteral("MATÉRIA-PRIMA AÇÚCAR"));
    contaCom(2, QStringLiteral("DROGA \"BOA\"; CIA"), QStringLiteral("FRASCOS ÂMBAR 100 ML"));
    for (int i = 1; i <= 60; ++i)  // two pages
        parcela(i, 1 + i % 2, i, QDate(2024, 3, 1 + i % 20), 123456 * i);
    abreLista();
    QStringList textos;
    for (QAction* a : lista->PopupMenu1->actions())
        if (!a->isSeparator()) textos << a->text();
    // Items added later come after these.
    EXPECT_EQ(textos.mid(0, 7),
              (QStringList{"Quitar esta conta", "Cancelar quitação", "Copiar linha digitável",
                           "Visualizar impressão da lista", "Imprimir a lista...",
                           "Salvar a lista em PDF...", "Exportar a lista para planilha..."}));

    // Ctrl+E on the list asks for the file (a name without an extension
    // gets ".csv") and writes it.
    QString sugerido;
    lista->Saida->perguntaArquivo = [&](const QString&, const QString& s, const QString&) {
        sugerido = s;
        return pasta.filePath(QStringLiteral("semana"));
    };
    lista->DBGrid5->setFocus();
    QSignalSpy fim(lista->Saida, &SaidaLista::terminou);
    QTest::keyClick(lista->DBGrid5, Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(fim.wait(30000));
    EXPECT_TRUE(sugerido.endsWith(QStringLiteral("Contas a Pagar 01-03-2024 a 31-03-2024.csv")));
    EXPECT_TRUE(QFile::exists(pasta.filePath(QStringLiteral("semana.csv"))));

    // Ctrl+P opens the print preview of the list; it paints only the pages
    // it shows, and Page Down goes to the next.
    QTest::keyClick(lista->DBGrid5, Qt::Key_P, Qt::ControlModifier);
    PagePreview* previa = lista->Saida->previa();
    ASSERT_NE(previa, nullptr);
    EXPECT_TRUE(previa->isVisible());
    QApplication::processEvents();
    previa->grab();
    ASSERT_GE(previa->pageCount(), 3);  // two of rows, then the supplier subtotals
    EXPECT_EQ(previa->currentPage(), 0);
    const int pintadas = previa->paintedPages();
    EXPECT_GE(pintadas, 1);
    EXPECT_LT(pintadas, previa->pageCount());
    QTest::keyClick(previa->focusWidget(), Qt::Key_PageDown);
    EXPECT_EQ(previa->currentPage(), 1);
    QTest::keyClick(previa->focusWidget(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(previa->currentPage(), previa->pageCount() - 1);
    const QString fotos = qEnvironmentVariable("CP_SHOTS_DIR");
    if (!fotos.isEmpty())
        previa->grab().save(QDir(fotos).filePath(QStringLiteral("previa-lista.png")));
    previa->close();
    EXPECT_TRUE(env.messages.isEmpty()) << env.messages.join('\n').toStdString();
}

TEST_F(SaidaListaTeste, APdfCellTooWideIsCutWithAnEllipsisAndPdfSyntaxInTextsIsKept) {
    periodo(d1Mar, d31Mar);
    contaCom(1, QStringLiteral(R"(FARMA (SP) \ LTDA)"), QString(50, u'W'));
    parcela(1, 1, 1, QDate(2024, 3, 5), 12345);
    abreLista();
    const QString pdf = pasta.filePath(QStringLiteral("larga.pdf"));
    ASSERT_TRUE(grava(true, pdf));
    const QStringList t = textoPdf(pdf);
    const QRegularExpression cortada(
        QStringLiteral(R"(^05/03/2024 (W+)… FARMA \(SP\) \\ LTDA 123 1 123,45 1$)"));
    const auto m = cortada.match(t.filter(QStringLiteral("05/03/2024 W")).value(0));
    ASSERT_TRUE(m.hasMatch()) << t.join(u'\n').toStdString();
    EXPECT_GT(m.captured(1).size(), 10);
    EXPECT_LT(m.captured(1).size(), 50);
    EXPECT_EQ(t.last(), QStringLiteral("BRUNDELO - Financeiro página 1 de 1"));
}

TEST_F(SaidaListaTeste, LargeTotalsAreShownWhole) {
    periodo(d1Mar, d31Mar);
    contaCom(1, QStringLiteral("A"), QStringLiteral("B"));
    parcela(1, 1, 1, QDate(2024, 3, 5), 1000000000);                             // 10.000.000,00
    parcela(2, 1, 2, QDate(2024, 3, 6), 99999999999999, 99999999999999, d1Mar);  // paid
    abreLista();
    lista->BitBtn2Click();
    ASSERT_EQ(lista->Label2->text(), QStringLiteral("R$ 10.000.000,00"));
    ASSERT_EQ(lista->Label15->text(), QStringLiteral("R$ 999.999.999.999,99"));
    QFrame* barra = lista->PainelTotais;
    const auto inteiro = [&](QLabel* l) {
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text()))
            << l->objectName().toStdString();
        EXPECT_GE(l->x(), 0);
        EXPECT_LE(l->geometry().right(), barra->width());
    };
    for (QLabel* l : {lista->Label9, lista->Label2, lista->Label27, lista->Label15}) inteiro(l);
    // Each caption before its amount, the first total before the second caption.
    EXPECT_LE(lista->Label9->geometry().right(), lista->Label2->x());
    EXPECT_LE(lista->Label2->geometry().right(), lista->Label27->x());
    EXPECT_LE(lista->Label27->geometry().right(), lista->Label15->x());
    const QString fotos = qEnvironmentVariable("CP_SHOTS_DIR");
    if (!fotos.isEmpty())
        form->grab().save(QDir(fotos).filePath(QStringLiteral("totais-grandes.png")));
    // Small totals keep the designed places.
    lista->BitBtn2Click();
    lista->BitBtn2Click();
    dbs->shared().execute("delete from PARCELAS");
    lista->MontaQuery2();
    EXPECT_EQ(lista->Label2->geometry(), QRect(299, 7, 94, 16));
    EXPECT_EQ(lista->Label15->geometry(), QRect(581, 5, 99, 16));
}

}  // namespace cp::test
