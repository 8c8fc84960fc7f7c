#include "payables/SaidaLista.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <stdexcept>

#include "data/Cp1252.h"
#include "payables/CobrancasDaLista.h"
#include "payables/ExportaLista.h"
#include "payables/ImpressaoLista.h"
#include "payables/ListaContas.h"
#include "payables/PdfLista.h"
#include "payables/RelatorioLista.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/JanelaPrincipal.h"
#include "shell/PagePreview.h"
#include "suite/Modules.h"

namespace cp {

// One copy being written off the window's thread. The thread sees only this.
struct SaidaLista::Tarefa {
    RelatorioLista relatorio;
    Progresso progresso;
    QString caminho;
    std::function<bool(Tarefa&)> escreve;  // false: cancelled
    std::shared_ptr<QPrinter> impressora;  // a printer copy
    QString feito;                         // what a written file is, for the status bar
    bool gravada = false;
    QString erro;
};

namespace {

// Writes through a file that takes the final name only when complete.
template <class Escreve>
bool emArquivo(const QString& caminho, Escreve escreve) {
    QSaveFile f(caminho);
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error(f.errorString().toStdString());
    if (!escreve(f)) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) throw std::runtime_error(f.errorString().toStdString());
    return true;
}

QAction* acao(QMenu* menu, QWidget* grade, const char* nome, const QString& texto,
              const QKeySequence& atalho = {}) {
    auto* a = new QAction(texto, menu);
    a->setObjectName(QLatin1String(nome));
    if (!atalho.isEmpty()) {
        a->setShortcut(atalho);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        grade->addAction(a);  // the shortcut works while the list has the focus
    }
    menu->addAction(a);
    return a;
}

}  // namespace

SaidaLista::SaidaLista(ListaContas& lista, JanelaPrincipal& form)
    : QObject(&lista), lista_(lista), form_(form) {
    QMenu* menu = lista_.PopupMenu1;
    QWidget* grade = lista_.DBGrid5;
    menu->addSeparator();
    Visualizar = acao(menu, grade, "Visualizar", QStringLiteral("Visualizar impressão da lista"),
                      QKeySequence(Qt::CTRL | Qt::Key_P));
    Imprimir = acao(menu, grade, "Imprimir", QStringLiteral("Imprimir a lista..."));
    SalvarPdf = acao(menu, grade, "SalvarPdf", QStringLiteral("Salvar a lista em PDF..."));
    ExportarPlanilha =
        acao(menu, grade, "ExportarPlanilha", QStringLiteral("Exportar a lista para planilha..."),
             QKeySequence(Qt::CTRL | Qt::Key_E));
    Environment& env = form_.env;
    connectGuarded(env, Visualizar, &QAction::triggered, this, [this] { visualizaImpressao(); });
    connectGuarded(env, Imprimir, &QAction::triggered, this, [this] { imprime(); });
    connectGuarded(env, SalvarPdf, &QAction::triggered, this, [this] { salvaPdf(); });
    connectGuarded(env, ExportarPlanilha, &QAction::triggered, this, [this] { exportaPlanilha(); });

    perguntaArquivo = [this](const QString& titulo, const QString& sugestao,
                             const QString& filtro) {
        return QFileDialog::getSaveFileName(&form_, titulo, sugestao, filtro);
    };
}

SaidaLista::~SaidaLista() {
    // The window is going: a copy still being written is dropped.
    if (thread_) {
        tarefa_->progresso.cancelado = true;
        thread_->wait();
        delete thread_;
    }
}

RelatorioLista SaidaLista::copia() const {
    RelatorioLista r;
    const EstadoSessao& s = form_.sessao;
    r.titulo = form_.Label8->text();
    r.apenasAPagar = !s.FiltroAPagar.empty();
    r.inicio = s.DataIniPeriodo;
    r.fim = s.DataFimPeriodo;
    r.areaTrabalho = fromCp1252(s.Estacao.str());
    r.operador = fromCp1252(s.NomeUsuario.str());
    r.emitidoEm = form_.env.now();
    r.linhas = copiaLinhas(form_.DM->Query2);
    if (lista_.Cobrancas) lista_.Cobrancas->preencheCopia(r.linhas);
    r.totalAPagar = lista_.totalAPagar();
    r.totalPago = lista_.totalPago();
    return r;
}

QString SaidaLista::nomeSugerido(const QString& extensao) const {
    QString pasta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (pasta.isEmpty()) pasta = QDir::homePath();
    const EstadoSessao& s = form_.sessao;
    const auto dia = [](const QDate& d) {
        return d.isValid() ? d.toString(QStringLiteral("dd-MM-yyyy")) : QStringLiteral("sem-data");
    };
    return QDir(pasta).filePath(QStringLiteral("Contas a Pagar %1 a %2.%3")
                                    .arg(dia(s.DataIniPeriodo), dia(s.DataFimPeriodo), extensao));
}

QString SaidaLista::pergunta(const QString& titulo, const QString& extensao,
                             const QString& filtro) {
    QString caminho = perguntaArquivo(titulo, nomeSugerido(extensao), filtro);
    if (caminho.isEmpty()) return {};
    if (QFileInfo(caminho).suffix().isEmpty()) caminho += QLatin1Char('.') + extensao;
    return caminho;
}

void SaidaLista::salvaPdf() {
    if (ocupada()) return;
    const QString caminho = pergunta(QStringLiteral("Salvar a lista em PDF"), QStringLiteral("pdf"),
                                     QStringLiteral("Documento PDF (*.pdf)"));
    if (!caminho.isEmpty()) gravaPdf(caminho);
}

void SaidaLista::exportaPlanilha() {
    if (ocupada()) return;
    const QString caminho = pergunta(QStringLiteral("Exportar a lista para planilha"),
                                     QStringLiteral("csv"), QStringLiteral("Planilha CSV (*.csv)"));
    if (!caminho.isEmpty()) gravaPlanilha(caminho);
}

bool SaidaLista::gravaPdf(const QString& caminho) {
    if (ocupada()) return false;
    auto t = std::make_unique<Tarefa>();
    t->relatorio = copia();
    t->caminho = caminho;
    t->feito = QStringLiteral("A lista foi salva em PDF");
    t->escreve = [](Tarefa& t) {
        return emArquivo(t.caminho, [&t](QSaveFile& f) {
            return escrevePdfLista(f, t.relatorio, t.progresso);
        });
    };
    return inicia(std::move(t), QStringLiteral("Gravando a lista em PDF..."));
}

bool SaidaLista::gravaPlanilha(const QString& caminho) {
    if (ocupada()) return false;
    auto t = std::make_unique<Tarefa>();
    t->relatorio = copia();
    t->caminho = caminho;
    t->feito = QStringLiteral("A lista foi exportada para planilha");
    t->escreve = [](Tarefa& t) {
        return emArquivo(t.caminho,
                         [&t](QSaveFile& f) { return escreveCsv(f, t.relatorio, t.progresso); });
    };
    return inicia(std::move(t), QStringLiteral("Exportando a lista para planilha..."));
}

void SaidaLista::imprime(QWidget* sobre) {
    if (ocupada()) return;
    auto impressora = std::make_shared<QPrinter>(QPrinter::HighResolution);
    preparaPagina(*impressora);
    QPrintDialog dialogo(impressora.get(), sobre ? sobre : &form_);
    dialogo.setWindowTitle(QStringLiteral("Imprimir a lista"));
    if (dialogo.exec() != QDialog::Accepted) return;
    auto t = std::make_unique<Tarefa>();
    t->relatorio = copia();
    t->impressora = impressora;
    t->escreve = [](Tarefa& t) {
        return desenhaRelatorio(*t.impressora, t.relatorio, t.progresso);
    };
    inicia(std::move(t), QStringLiteral("Imprimindo a lista..."));
}

void SaidaLista::visualizaImpressao() {
    if (ocupada() || previa_) return;
    // The copy is laid out for the printer's page; the preview paints the
    // pages it shows from it, for as long as it is open, whatever happens
    // to the list meanwhile.
    struct Previa {
        QPrinter impressora{QPrinter::HighResolution};
        RelatorioLista relatorio;
        std::unique_ptr<CopiaLista> copia;
    };
    auto previa = std::make_shared<Previa>();
    preparaPagina(previa->impressora);
    previa->relatorio = copia();
    previa->copia = std::make_unique<CopiaLista>(previa->relatorio, previa->impressora);
    PagePreview::Pages paginas;
    paginas.count = previa->copia->paginas();
    paginas.size = previa->copia->tamanho();
    paginas.dpiX = previa->impressora.logicalDpiX();
    paginas.dpiY = previa->impressora.logicalDpiY();
    paginas.paint = [previa](QPainter& p, int n) { previa->copia->desenhaPagina(p, n); };
    auto* dialogo = new PagePreview(std::move(paginas), &form_);
    dialogo->setAttribute(Qt::WA_DeleteOnClose);
    dialogo->setWindowTitle(QStringLiteral("Visualizar impressão - ") + previa->relatorio.titulo);
    dialogo->resize(1000, 720);
    previa_ = dialogo;
    connectGuarded(form_.env, dialogo, &PagePreview::printRequested, this,
                   [this, dialogo] { imprime(dialogo); });
    dialogo->open();
}

bool SaidaLista::inicia(std::unique_ptr<Tarefa> t, const QString& rotulo) {
    tarefa_ = std::move(t);
    Tarefa* tarefa = tarefa_.get();
    auto* barra = new QProgressDialog(rotulo, QStringLiteral("Cancelar"), 0, 1000, &form_);
    barra->setObjectName(QStringLiteral("ProgressoLista"));
    barra->setWindowModality(Qt::WindowModal);
    barra->setMinimumDuration(400);
    barra->setAutoClose(false);
    barra->setAutoReset(false);
    barra->setValue(0);
    connect(barra, &QProgressDialog::canceled, this,
            [tarefa] { tarefa->progresso.cancelado = true; });
    progresso_ = barra;
    auto* relogio = new QTimer(barra);
    connect(relogio, &QTimer::timeout, this, &SaidaLista::acompanha);
    relogio->start(100);

    thread_ = QThread::create([tarefa] {
        try {
            tarefa->gravada = tarefa->escreve(*tarefa);
        } catch (const std::exception& e) {
            tarefa->erro = QString::fromUtf8(e.what());
        } catch (...) {
            tarefa->erro = QStringLiteral("erro desconhecido");
        }
    });
    connect(thread_, &QThread::finished, this, &SaidaLista::concluiu, Qt::QueuedConnection);
    thread_->start();
    return true;
}

void SaidaLista::acompanha() {
    if (!tarefa_ || !progresso_) return;
    if (progresso_->wasCanceled()) tarefa_->progresso.cancelado = true;
    const int total = std::max(1, tarefa_->progresso.total.load());
    progresso_->setValue(static_cast<int>(1000LL * tarefa_->progresso.feito / total));
}

void SaidaLista::concluiu() {
    if (!thread_) return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    std::unique_ptr<Tarefa> t = std::move(tarefa_);
    if (progresso_) {
        progresso_->hide();
        progresso_->deleteLater();
    }
    if (!t->erro.isEmpty())
        form_.env.showMessage(t->caminho.isEmpty()
                                  ? QStringLiteral("A lista não pôde ser impressa: %1").arg(t->erro)
                                  : QStringLiteral("A lista não pôde ser gravada em %1: %2")
                                        .arg(QDir::toNativeSeparators(t->caminho), t->erro));
    // The operator is told where the file is, with a way to its folder.
    if (t->gravada && !t->caminho.isEmpty()) form_.mostraArquivoGravado(t->feito, t->caminho);
    emit terminou(t->gravada, t->caminho);
}

}  // namespace cp
