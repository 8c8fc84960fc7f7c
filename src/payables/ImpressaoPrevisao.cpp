// The forecast on paper: under the head the copies share, the weeks as bars,
// then the tables by week, by age and by supplier, in as many pages as
// needed, each with the shared foot.
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "data/Cp1252.h"
#include "data/Formats.h"
#include "payables/CabecalhoCopia.h"
#include "payables/JanelaPrevisao.h"
#include "payables/RelatorioLista.h"
#include "payables/SuperficiePintor.h"
#include "shell/Toolkit.h"

namespace cp {

namespace {

struct Linha {
    QStringList celulas;
    bool negrito = false;
    bool vermelha = false;
};

QString dinheiro(std::int64_t c) { return QString::fromStdString(textoCentavos(c)); }

QString contagem(const SomaPrevisao& s) {
    QString t = QString::number(s.parcelas);
    if (s.semValor > 0) t += QStringLiteral(" (%1 sem valor)").arg(s.semValor);
    return t;
}

std::vector<Linha> linhasDe(const Previsao& p) {
    std::vector<Linha> l;
    const auto titulo = [&l](const QString& t) {
        l.push_back({{}, false, false});
        l.push_back({{t}, true, false});
    };
    titulo(QStringLiteral("Por semana"));
    l.push_back({{QStringLiteral("Semana"), QStringLiteral("Parcelas"), QStringLiteral("Soma")},
                 true,
                 false});
    l.push_back({{QStringLiteral("Vencidas (antes de hoje)"), contagem(p.vencidas),
                  dinheiro(p.vencidas.centavos)},
                 false,
                 p.vencidas.parcelas > 0});
    for (int i = 0; i < kSemanasPrevisao; ++i) {
        const SomaPrevisao& s = p.semanas[static_cast<size_t>(i)];
        l.push_back({{QStringLiteral("%1 a %2").arg(dataCompleta(p.inicioSemana(i)),
                                                    dataCompleta(p.fimSemana(i))),
                      contagem(s), dinheiro(s.centavos)}});
    }
    l.push_back({{QStringLiteral("Depois das 12 semanas"), contagem(p.depoisDasSemanas),
                  dinheiro(p.depoisDasSemanas.centavos)}});
    titulo(QStringLiteral("Por idade"));
    for (int f = 0; f < kFaixas; ++f) {
        const SomaPrevisao& s = p.faixas[static_cast<size_t>(f)];
        l.push_back({{QString::fromUtf8(nomeFaixa(f)), contagem(s), dinheiro(s.centavos)},
                     false,
                     f <= VencidasMais90 && s.parcelas > 0});
    }
    l.push_back({{QStringLiteral("Sem valor (contadas acima, sem soma)"), contagem(p.semValor),
                  QString()}});
    l.push_back({{QStringLiteral("Total a pagar"), contagem(p.total), dinheiro(p.total.centavos)},
                 true,
                 false});
    titulo(QStringLiteral("Por fornecedor (os %1 maiores de %2)")
               .arg(p.fornecedores.size())
               .arg(p.totalFornecedores));
    l.push_back({{QStringLiteral("Fornecedor"), QStringLiteral("Total"), QStringLiteral("Vencidas"),
                  QStringLiteral("Até 30 dias"), QStringLiteral("31 a 60 dias"),
                  QStringLiteral("Depois"), QStringLiteral("Sem vencimento")},
                 true,
                 false});
    for (const FornecedorPrevisto& f : p.fornecedores) {
        SomaPrevisao vencidas, ate30, ate60, depois;
        for (int k = Vencidas1a30; k <= VencidasMais90; ++k) vencidas.soma(f.faixas[k]);
        ate30.soma(f.faixas[AVencer0a7]);
        ate30.soma(f.faixas[AVencer8a30]);
        ate60.soma(f.faixas[AVencer31a60]);
        depois.soma(f.faixas[AVencerMais60]);
        l.push_back({{fromCp1252(f.nome), dinheiro(f.total.centavos), dinheiro(vencidas.centavos),
                      dinheiro(ate30.centavos), dinheiro(ate60.centavos), dinheiro(depois.centavos),
                      dinheiro(f.faixas[SemVencimento].centavos)}});
    }
    return l;
}

}  // namespace

void desenhaPrevisao(QPagedPaintDevice& device, const Previsao& p, const CabecalhoCopia& c) {
    QPainter painter;
    if (!painter.begin(&device))
        throw std::runtime_error("O arquivo ou a impressora não aceitou a cópia da previsão.");
    const double ponto = device.logicalDpiY() / 72.0;
    const double largura = device.width(), altura = device.height();
    PaginaCopia pagina(device, largura, altura, ponto);
    SuperficiePintor superficie(device);
    superficie.pinta(&painter);
    QFont corpo(QStringLiteral("Arial"));
    corpo.setPointSizeF(8);
    QFont negrito = corpo;
    negrito.setBold(true);
    const double linha = QFontMetricsF(corpo, &device).height() * 1.3;
    const std::vector<Linha> linhas = linhasDe(p);

    // The bars take the top of the first page.
    const double alturaGrafico = altura * 0.32;
    const double inicio = pagina.topoCorpo();
    const double fimCorpo = altura - pagina.alturaRodape();
    const int cabemPrimeira =
        std::max(1, static_cast<int>((fimCorpo - inicio - alturaGrafico) / linha));
    const int cabem = std::max(1, static_cast<int>((fimCorpo - inicio) / linha));
    const int n = static_cast<int>(linhas.size());
    const int paginas = n <= cabemPrimeira ? 1 : 1 + (n - cabemPrimeira + cabem - 1) / cabem;

    int proxima = 0;
    for (int pg = 1; pg <= paginas; ++pg) {
        if (pg > 1 && !device.newPage())
            throw std::runtime_error("O arquivo ou a impressora não aceitou uma nova página.");
        double y = pagina.cabecalho(superficie, c);
        if (pg == 1) {
            // Thirteen bars: what is late, then the twelve weeks.
            std::vector<std::int64_t> v{p.vencidas.centavos};
            for (const SomaPrevisao& s : p.semanas) v.push_back(s.centavos);
            const std::int64_t maximo =
                std::max<std::int64_t>(1, *std::max_element(v.begin(), v.end()));
            const double base = y + alturaGrafico - linha * 1.5;
            const double topo = y + linha;
            const double passo = largura / static_cast<double>(v.size());
            painter.setFont(corpo);
            for (size_t i = 0; i < v.size(); ++i) {
                const double h = (base - topo) *
                                 static_cast<double>(std::max<std::int64_t>(0, v[i])) /
                                 static_cast<double>(maximo);
                const QRectF barra(i * passo + passo * 0.15, base - h, passo * 0.7, h);
                painter.fillRect(barra, i == 0 ? kRed : QColor(0x30, 0x50, 0xA0));
                painter.setPen(Qt::black);
                painter.drawText(QRectF(i * passo, base, passo, linha), Qt::AlignCenter,
                                 i == 0 ? QStringLiteral("Vencidas")
                                        : p.inicioSemana(static_cast<int>(i) - 1)
                                              .toString(QStringLiteral("dd/MM")));
                painter.drawText(QRectF(i * passo, base - h - linha, passo, linha), Qt::AlignCenter,
                                 fromCp1252(formatScaled("#,##0", v[i], 2)));
            }
            y += alturaGrafico;
        }
        const int quantas = pg == 1 ? cabemPrimeira : cabem;
        for (int k = 0; k < quantas && proxima < n; ++k, ++proxima) {
            const Linha& l = linhas[static_cast<size_t>(proxima)];
            painter.setFont(l.negrito ? negrito : corpo);
            painter.setPen(l.vermelha ? kRed : QColor(Qt::black));
            const int colunas = static_cast<int>(l.celulas.size());
            const double primeira = colunas > 3 ? largura * 0.28 : largura * 0.4;
            const double resto =
                colunas > 1 ? (largura - primeira) / (colunas > 3 ? colunas - 1 : 4) : 0;
            for (int i = 0; i < colunas; ++i) {
                const double x = i == 0 ? 0 : primeira + (i - 1) * resto;
                const double w = i == 0 ? (colunas == 1 ? largura : primeira) : resto;
                painter.drawText(QRectF(x + ponto * 2, y, w - ponto * 4, linha),
                                 (i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                                 l.celulas[i]);
            }
            y += linha;
        }
        pagina.rodape(superficie, pg, paginas);
    }
    if (!painter.end()) throw std::runtime_error("A cópia da previsão não pôde ser concluída.");
}

}  // namespace cp
