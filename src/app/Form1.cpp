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

#include "app/DetalhesConta.h"
#include "app/ImportacaoNaJanela.h"
#include "app/TeclasJanela.h"
#include "data/Cp1252.h"
#include "entry/GravaDetalhes.h"
#include "entry/PainelConta.h"
#include "entry/Procuras.h"
#include "logic/Configuracoes.h"
#include "payables/ListaContas.h"
#include "session/LoginSessao.h"
#include "shell/DataWidgets.h"
#include "shell/ErrorHandler.h"
#include "shell/Termination.h"
#include "shell/Toolkit.h"
#include "suite/Modules.h"

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

Form1::Form1(Environment& environment, EstadoSessao& estado, QStringList args, QWidget* parent)
    : JanelaPrincipal(environment, estado, parent),
      argumentos(argumentosAteVazio(std::move(args))) {
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
    // It opens at that size and may grow or be maximised from there, never
    // shrink below it (the list's controls are laid out for it).
    const QSize moldura = frameGeometry().size() - geometry().size();
    areaDesenhada_ = QSize(kLarguraJanela - moldura.width(), kAlturaJanela - moldura.height());
    setMinimumSize(areaDesenhada_);
    resize(areaDesenhada_);
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
    detalhes = std::make_unique<DetalhesConta>(*this);
    nfe = std::make_unique<ImportacaoNaJanela>(*this);
    teclas = new TeclasJanela(*this);
    connectGuarded(env, BitBtn11, &QPushButton::clicked, this,
                   [this] { detalhes->BitBtn11Click(); });
    // Going on with the work after a close that could not write: the next
    // close tries to write again rather than discard.
    for (QPushButton* b : {BitBtn11, BitBtn14})
        connect(b, &QPushButton::clicked, this, [this] { descartaAoFechar_ = false; });
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

void Form1::FechaTabelas() {
    if (DM) DM->Query2.close();
    if (DM2) DM2->Periodo.close();
    if (DM) {
        DM->Parcelas.close();
        DM->CONTASPR.close();
    }
}

void Form1::BitBtn3Click() {
    if (!gravaAntesDeFechar()) return;
    FechaTabelas();
    close();
}

void Form1::abreDetalhes() { detalhes->abre(); }

void Form1::importaNfe() {
    if (nfe) nfe->pede();
}

bool Form1::gravaAntesDeFechar() {
    if (!DM || activationFailed()) return true;
    const bool terminando = terminationRequested();
    if (descartaAoFechar_ && !terminando) {
        descartaDetalhes(*DM);
        return true;
    }
    // The field with the focus is left as Enter leaves it (a condition being
    // typed generates its installments); one refusing its text has said why
    // and keeps the focus.
    if (!leaveFocusedEditor(this) && !terminando) {
        descartaAoFechar_ = true;
        return false;
    }
    // A condition that is not registered has been named: the bill would be
    // stored without installments, in no list.
    if (conta && conta->condicaoNaoCadastrada() && !terminando) {
        descartaAoFechar_ = true;
        return false;
    }
    if (!detalhesPorGravar(*DM)) return true;
    try {
        gravaDetalhes(*DM);
        return true;
    } catch (const std::exception& e) {
        const QString oQue =
            QStringLiteral("Ao fechar, o que estava em edição não pôde ser gravado:\n") +
            errorText(e);
        if (terminando) {
            // Nobody is left to answer: the log keeps what was lost.
            reportError(env, oQue + QStringLiteral("\nO programa foi encerrado pelo sistema."));
            return true;
        }
        reportError(env, oQue + QStringLiteral("\nA janela continua aberta. Para fechá-la sem "
                                               "gravar, feche-a de novo."));
        descartaAoFechar_ = true;
        return false;
    }
}

void Form1::closeEvent(QCloseEvent* e) {
    if (!gravaAntesDeFechar()) {
        e->ignore();
        return;
    }
    // An error while closing the record sets is reported; the window closes
    // all the same.
    guarded(env, [this] { FechaTabelas(); });
    e->accept();
}

QWidget* Form1::gradeDaLista() const { return lista ? lista->DBGrid5 : nullptr; }

}  // namespace cp
