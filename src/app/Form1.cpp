#include "app/Form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <stdexcept>

#include "data/Cp1252.h"
#include "data/Modules.h"
#include "entry/PainelConta.h"
#include "entry/Procuras.h"
#include "logic/Configuracoes.h"
#include "payables/ListaContas.h"
#include "session/LoginSessao.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/Toolkit.h"

namespace cp {
namespace {

constexpr int kLarguraJanela = 808;  // overall, frame and title bar included
constexpr int kAlturaJanela = 608;

// The command line counts its arguments up to the first empty one.
QStringList argumentosAteVazio(QStringList args) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i].isEmpty()) {
            args.resize(i);
            break;
        }
    }
    return args;
}

// Windows-1252 bytes of an argument; nullopt when it holds a character that
// no stored text can hold (such an argument matches no account).
std::optional<std::string> bytesArgumento(const QStringList& args, qsizetype i) {
    if (i >= args.size()) return std::string();
    return toCp1252(args[i]);
}

std::string corta(std::string s, std::size_t n) {
    if (s.size() > n) s.resize(n);
    return s;
}

QPushButton* botao(QWidget* parent, const char* name, const QString& caption, const QColor& cor,
                   const QRect& geometria) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFont(suiteFont(QStringLiteral("MS Sans Serif"), 13, true));
    setFontColor(b, cor);
    b->setGeometry(geometria);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

Form1::Form1(Environment& environment, QStringList args, QWidget* parent)
    : JanelaPrincipal(environment, parent), argumentos(argumentosAteVazio(std::move(args))) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" BRUNDELO - Financeiro"));
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    setCentralWidget(client);
    client->installEventFilter(this);
    buildPanel();
    // The login panel lies over everything, so it is built after the
    // account panel.
    login = std::make_unique<LoginSessao>(*this);
    resize(kLarguraJanela, kAlturaJanela);
}

Form1::~Form1() = default;

void Form1::buildPanel() {
    PainelVelmora = new QWidget(centralWidget());
    PainelVelmora->setObjectName(QStringLiteral("PainelVelmora"));
    PainelVelmora->setGeometry(centralWidget()->rect());
    PainelVelmora->hide();

    Label8 = new QLabel(QStringLiteral("Contas a Pagar"), PainelVelmora);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setFont(suiteFont(QStringLiteral("Arial"), 19, true));
    setFontColor(Label8, kNavy);
    Label8->move(46, 8);
    Label8->adjustSize();

    BitBtn14 = botao(PainelVelmora, "BitBtn14", QStringLiteral("Nova conta"), kPurple,
                     QRect(221, 8, 111, 24));
    BitBtn11 = botao(PainelVelmora, "BitBtn11", QStringLiteral("Detalhes da Conta"), kGreen,
                     QRect(341, 8, 159, 24));
    BitBtn3 = botao(PainelVelmora, "BitBtn3", QStringLiteral("Sair"), kRed, QRect(508, 8, 227, 24));
    connectGuarded(env, BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
}

bool Form1::eventFilter(QObject* watched, QEvent* e) {
    // The account panel fills the window's client area.
    if (watched == centralWidget() && e->type() == QEvent::Resize && PainelVelmora)
        PainelVelmora->setGeometry(centralWidget()->rect());
    return QMainWindow::eventFilter(watched, e);
}

bool Form1::FormCreate(const QString& programDir) {
    // Step 1 (the executable's directory) is done by the settings reader,
    // which sets DiretorioPrograma first.
    if (login && login->EditNome) login->EditNome->setText(fromCp1252(sessao.NomeUsuario.str()));
    ajustaTamanhoECentraliza();
    configuracoes = std::make_unique<Configuracoes>();
    LeituraConfiguracoes lida = LeituraConfiguracoes::Lida;
    // A settings file that stops being read half way is reported; the
    // program goes on with what was read.
    guarded(env,
            [&] { lida = LeConfiguracoes(programDir.toStdString(), sessao, *configuracoes, env); });
    return lida != LeituraConfiguracoes::ArquivoAusente;
}

void Form1::ajustaTamanhoECentraliza() {
    // The window measures 808 x 608 with its frame. The frame is known only
    // once the window is on the screen; until then the client area takes the
    // whole size.
    const QSize moldura = frameGeometry().size() - geometry().size();
    setFixedSize(kLarguraJanela - moldura.width(), kAlturaJanela - moldura.height());
    if (QScreen* tela = screen()) {
        const QRect area = tela->availableGeometry();
        move(area.x() + (area.width() - kLarguraJanela) / 2,
             area.y() + (area.height() - kAlturaJanela) / 2);
    }
}

void Form1::setModules(TDM* dm, TDM2* dm2) {
    DM = dm;
    DM2 = dm2;
    if (!DM || !DM2) return;
    // The account's fields first, then the due list that lies over them.
    conta = std::make_unique<PainelConta>(*this);
    lista = std::make_unique<ListaContas>(*this);
    procuras = std::make_unique<Procuras>(*this, *conta);  // its panels lie over the list
}

void Form1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!sized_) {
        sized_ = true;
        QTimer::singleShot(0, this, [this] { ajustaTamanhoECentraliza(); });
    }
    // The activation runs when the window first becomes the program's window;
    // showing it again (or closing a message box) does not repeat it.
    if (!activated_ && !activationScheduled_) {
        activationScheduled_ = true;
        QTimer::singleShot(0, this, [this] {
            if (!activated_) FormActivate();
        });
    }
}

void Form1::FormActivate() {
    activated_ = true;
    if (semServidor_) {
        activationFailed_ = true;
        ativacaoInterrompida();
        return;
    }
    if (guarded(env, [this] { passosAtivacao(); })) {
        activationCompleted_ = true;
    } else {
        activationFailed_ = true;
        ativacaoInterrompida();
    }
}

void Form1::passosAtivacao() {
    if (!DM || !DM2 || !lista || !conta || !login)
        throw std::logic_error("A janela foi ativada antes de os módulos de dados existirem.");
    TDM& dm = *DM;
    TDM2& dm2 = *DM2;

    // 1. Column lists of the selects.
    sessao.CamposFornecedor = kCamposFornecedor;
    sessao.CamposCPR = kCamposCPR;
    sessao.CamposParcelas = kCamposParcelas;

    // 2. The due list covers the account's fields.
    lista->DBGrid5->setGeometry(4, 70, 791, 450);

    // 3. Idle limit of the session resume.
    sessao.MinutosLogoff = MinutosDeLogoff(sessao.TempoLogoff.str());

    // 4. Payment conditions into the condition box.
    QStringList condicoes;
    dm.FormasPG.open();
    for (dm.FormasPG.first(); !dm.FormasPG.eof(); dm.FormasPG.next()) {
        condicoes << fromCp1252(dm.FormasPG.field("DESCRICAO").asString());
    }
    conta->DBComboBox1->setItems(condicoes);
    dm.FormasPG.close();

    // 5. The stored period.
    dm2.Periodo.open();
    const bool semPeriodo = dm2.Periodo.isEmpty();
    sessao.DataIniPeriodo = semPeriodo ? QDate() : dm2.Periodo.field("DATAINICIAL").asDate();
    sessao.DataFimPeriodo = semPeriodo ? QDate() : dm2.Periodo.field("DATAFINAL").asDate();

    // 6, 7.
    PainelVelmora->hide();
    dm.CONTASPR.setFiltered(true);

    if (argumentos.isEmpty()) {
        modoNavegador();
    } else {
        modoContaUnica();
    }

    // 10.
    PainelVelmora->show();

    // 11. Defaults for new installments.
    dm.FormaPad.open();
    if (!dm.FormaPad.isEmpty()) {
        sessao.ContaBancoPadrao = dm.FormaPad.field("CTAPADRAO").asString();
        sessao.MeioPagtoPadrao = dm.FormaPad.field("MEIOPADRAO").asString();
    } else {
        sessao.ContaBancoPadrao = "";
        sessao.MeioPagtoPadrao = "";
    }
    dm.FormaPad.close();

    // 12. Session resume or login.
    login->VerificaSessao();
}

void Form1::modoNavegador() {
    TDM& dm = *DM;
    lista->PainelTotais->show();
    lista->CarregaPeriodo();
    dm.Parcelas.open();
    sessao.FiltroAPagar = kFiltroAPagar;
    lista->MontaQuery2();
    // The accounts' own statement is read once with the payables filter on.
    dm.CONTASPR.open();
    dm.CONTASPR.setFilter("Natureza = 'P'");
    dm.CONTASPR.setFiltered(true);
    dm.CONTASPR.close();
    dm.CONTASPR.setCommandText("Select " + sessao.CamposCPR +
                               " from CONTASPR where NATUREZA = 'P' order by CODIGOCPR");
    dm.CONTASPR.open();
    dm.CONTASPR.last();
}

std::string Form1::chaveNotaFiscal(const QStringList& args) {
    return args.isEmpty() ? std::string() : bytesArgumento(args, 0).value_or(std::string());
}

std::string Form1::chaveNomeFornecedor(const QStringList& args) {
    // Argument 2 cut to 60 characters, then a blank and each following
    // argument, cut to 60 after each step; the last step appends a blank and
    // the empty text, so two or more arguments give a key ending in a blank.
    if (args.size() < 2) return {};
    std::string chave = corta(bytesArgumento(args, 1).value_or(std::string()), 60);
    for (qsizetype i = 2; i <= args.size(); ++i)
        chave = corta(chave + " " + bytesArgumento(args, i).value_or(std::string()), 60);
    return chave;
}

void Form1::modoContaUnica() {
    TDM& dm = *DM;
    lista->PainelTotais->hide();
    dm.CONTASPR.close();
    dm.CONTASPR.setCommandText("Select " + sessao.CamposCPR +
                               " from CONTASPR where NATUREZA = 'P' order by NFISCAL, NOMECLIFOR");
    dm.CONTASPR.open();
    dm.CONTASPR.first();

    // Exact lookup on the search key NFISCAL, NOMECLIFOR, the values cut to
    // the columns' widths. Trailing blanks do not count in the comparison, so
    // the key's final blank still finds the supplier's name as stored.
    const bool representavel =
        argumentos.isEmpty() ||
        std::all_of(argumentos.begin(), argumentos.end(),
                    [](const QString& a) { return toCp1252(a).has_value(); });
    const std::string nota = corta(chaveNotaFiscal(argumentos), 16);
    const std::string nome = corta(chaveNomeFornecedor(argumentos), 40);
    const bool achou = representavel && dm.CONTASPR.findKey({Value(nota), Value(nome)});
    if (!achou) {
        // No such account: the window closes and the program ends once this
        // activation has run to its end.
        dm.CONTASPR.close();
        DM2->Periodo.close();
        close();
    }

    dm.Parcelas.open();
    sessao.FiltroAPagar = kFiltroAPagar;
    lista->MontaQuery2();

    BitBtn11->setText(QStringLiteral("Tabela de Despesas"));
    BitBtn11->setEnabled(false);
    lista->DBGrid5->hide();
    lista->Panel10->hide();
}

void Form1::ativacaoInterrompida() {
    // A step of the activation failed and the later ones (the session check
    // included) did not run: nobody has logged in and the data may be
    // unreachable. The window keeps only "Sair", which closes it.
    if (!PainelVelmora) return;
    PainelVelmora->show();
    for (QWidget* w : PainelVelmora->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != BitBtn3 && w != Label8) w->setEnabled(false);
    BitBtn3->show();
    BitBtn3->setEnabled(true);
    const bool loginVisivel = login && login->PainelLogin && login->PainelLogin->isVisible();
    if (!loginVisivel) {
        setCancelButton(BitBtn3);
        BitBtn3->setFocus();
    }
}

void Form1::FechaTabelas() {
    if (DM) DM->Query2.close();
    if (DM2) DM2->Periodo.close();
    if (DM) {
        DM->Parcelas.close();
        DM->CONTASPR.close();
    }
}

void Form1::BitBtn3Click() {
    FechaTabelas();
    close();
}

void Form1::closeEvent(QCloseEvent* e) {
    // An error while closing the record sets is reported; the window closes
    // all the same.
    guarded(env, [this] { FechaTabelas(); });
    e->accept();
}

QWidget* Form1::gradeDaLista() const { return lista ? lista->DBGrid5 : nullptr; }

}  // namespace cp
