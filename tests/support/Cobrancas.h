// Payment slips for the screen tests: a boleto, and PIX codes made with the
// Central Bank's layout, their CRC worked out by the reader's own function
// (these tests are of where the slips go, not of their check digits).
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>

#include "suite/cobranca/Pix.h"

namespace cp::test {

// Itaú, due 10/07/2025 (factor 1138 after the 2025 reset), R$ 1.234,56.
inline const std::string kLinhaItau = "34191090080012345678290123456700311380000123456";
inline const std::string kBarrasItau = "34193113800001234561090000123456789012345670";

inline std::string campoPix(const std::string& id, const std::string& valor) {
    char tamanho[3];
    std::snprintf(tamanho, sizeof tamanho, "%02zu", valor.size());
    return id + tamanho + valor;
}

// A static PIX code to `chave`, with `valor` ("250.75") or without an amount.
inline std::string codigoPix(const std::string& chave, const std::string& valor = {}) {
    std::string s = campoPix("00", "01") +
                    campoPix("26", campoPix("00", "br.gov.bcb.pix") + campoPix("01", chave)) +
                    campoPix("52", "0000") + campoPix("53", "986");
    if (!valor.empty()) s += campoPix("54", valor);
    s += campoPix("58", "BR") + campoPix("59", "VIDRARIA SUL LTDA") + campoPix("60", "CURITIBA") +
         campoPix("62", campoPix("05", "NF77")) + "6304";
    char crc[5];
    std::snprintf(crc, sizeof crc, "%04X", crcPix(s));
    return s + crc;
}

// Runs `passo` on the modal dialog of type D once it is up, then closes it
// if `passo` left it open. Call before the step that opens it, and delete
// what it returns once that step is over (a dialog that never opened must
// not meet the next test); `aberto` tells whether it opened.
template <class D>
QPointer<QTimer> quandoAbrir(std::function<void(D&)> passo, bool* aberto = nullptr) {
    QPointer<QTimer> espera = new QTimer;
    espera->setInterval(10);
    QTimer* t = espera;
    QObject::connect(t, &QTimer::timeout, [t, passo, aberto, vezes = 0]() mutable {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!d && ++vezes < 300) return;
        t->stop();
        t->deleteLater();
        if (!d) return;
        if (aberto) *aberto = true;
        passo(*d);
        if (d->isVisible()) d->reject();
    });
    espera->start();
    return espera;
}

}  // namespace cp::test
