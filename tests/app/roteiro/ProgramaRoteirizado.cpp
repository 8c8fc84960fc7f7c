// The real program, driven by a script to the state a termination test wants
// it in before the system asks it to stop. $CP_ROTEIRO names the state;
// $CP_ROTEIRO_PRONTO is the file written ("pronto", or what went wrong) once
// the program is in that state; the settings file and the databases are those
// of $BRUNDELO_HOME, as in the suite directory of the tests.
//
//   lista      the due list, idle
//   detalhes   the listed account opened, its expense being retyped
//              ("Energia eletrica")
//   nova       "Nova conta", its expense being typed ("Energia eletrica")
//   procura    the chart-of-accounts lookup open over a typed expense
//   mensagem   as "detalhes", and the box refusing a character that the
//              database cannot hold open over it
//   geracao    a new account of that expense whose 180 installments (the
//              condition "CENTO E OITENTA") are being generated
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/Execucao.h"
#include "app/Form1.h"
#include "entry/PainelConta.h"
#include "entry/PainelProcura.h"
#include "entry/Procuras.h"
#include "shell/DataWidgets.h"

namespace {

void avisa(const QByteArray& estado) {
    QFile f(qEnvironmentVariable("CP_ROTEIRO_PRONTO"));
    if (f.open(QIODevice::WriteOnly)) f.write(estado);
}

// The operator enters `campo`, selects what it holds and types `texto`;
// false when the field did not take the focus or the text.
bool digita(QWidget* campo, const QString& texto) {
    campo->setFocus();
    // Leaving "Despesa" sends the focus on to "Descrição": entered again.
    if (!campo->hasFocus()) campo->setFocus();
    QLineEdit* le = qobject_cast<QLineEdit*>(campo);
    if (auto* cb = qobject_cast<QComboBox*>(campo)) le = cb->lineEdit();
    if (!le || !campo->hasFocus()) return false;
    le->selectAll();
    QTest::keyClicks(campo, texto);
    return le->text() == texto;
}

QByteArray falhou(const char* oQue) {
    QByteArray s(oQue);
    if (QWidget* f = QApplication::focusWidget())
        s += " (foco em " + f->objectName().toUtf8() + ")";
    return s;
}

void conduz(cp::Form1& form, const QString& roteiro) {
    cp::PainelConta& c = *form.conta;
    if (roteiro == QLatin1String("lista")) {
        avisa("pronto");
    } else if (roteiro == QLatin1String("detalhes")) {
        form.BitBtn11->click();
        avisa(digita(c.DBEdit10, QStringLiteral("Energia eletrica")) ? "pronto"
                                                                     : falhou("não digitou"));
    } else if (roteiro == QLatin1String("nova")) {
        form.BitBtn14->click();
        avisa(digita(c.DBEdit10, QStringLiteral("Energia eletrica")) ? "pronto"
                                                                     : falhou("não digitou"));
    } else if (roteiro == QLatin1String("procura")) {
        form.BitBtn11->click();
        if (!digita(c.DBEdit10, QStringLiteral("Fras"))) return avisa(falhou("não digitou"));
        QTest::keyClick(c.DBEdit10, Qt::Key_Return);
        avisa(form.procuras->PainelPlanoProcura->isVisible() ? "pronto" : "a consulta não abriu");
    } else if (roteiro == QLatin1String("mensagem")) {
        form.BitBtn11->click();
        if (!digita(c.DBEdit10, QStringLiteral("Energia eletrica")))
            return avisa(falhou("não digitou"));
        // The box runs a loop of its own: it is seen open from there.
        QTimer::singleShot(50, [] {
            avisa(QApplication::activeModalWidget() ? "pronto" : "nenhuma mensagem aberta");
        });
        QTest::sendKeyEvent(QTest::Press, c.DBEdit10, Qt::Key_unknown, QString(QChar(0x03A9)),
                            Qt::NoModifier);  // Ω
    } else if (roteiro == QLatin1String("geracao")) {
        form.BitBtn14->click();
        if (!digita(c.DBEdit10, QStringLiteral("Energia eletrica")) ||
            !digita(c.DBComboBox1, QStringLiteral("CENTO E OITENTA")))
            return avisa(falhou("não digitou"));
        avisa("pronto");
        QTest::keyClick(c.DBComboBox1, Qt::Key_Return);
    } else {
        avisa("roteiro desconhecido");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const QString roteiro = qEnvironmentVariable("CP_ROTEIRO");
    QString pasta = qEnvironmentVariable("BRUNDELO_HOME");
    if (!pasta.endsWith(QLatin1Char('/'))) pasta += QLatin1Char('/');
    return cp::executaPrograma(argc, argv, pasta, [roteiro](cp::Form1& form) {
        form.activateWindow();
        // The script starts once the window's activation has run.
        auto* espera = new QTimer(&form);
        QObject::connect(espera, &QTimer::timeout, &form, [&form, espera, roteiro] {
            if (form.activationFailed()) {
                espera->stop();
                avisa("a ativação falhou");
            } else if (form.activationCompleted() && QApplication::activeWindow() == &form) {
                espera->stop();
                conduz(form, roteiro);
            }
        });
        espera->start(10);
    });
}
