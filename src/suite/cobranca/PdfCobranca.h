// A boleto (or a collection slip) received as a PDF. Its linha digitável is
// looked for in the text of the pages first; a PDF without it (a scanned
// slip, or one whose line is drawn as curves) has its pages rendered and its
// Interleaved 2 of 5 barcode decoded. Whatever is found is read as if typed,
// by lerCobranca.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>

#include "suite/cobranca/Cobranca.h"

namespace cp {

inline constexpr std::int64_t kMaiorPdfCobranca = 20 * 1024 * 1024;

LeituraCobranca lerCobrancaPdf(const QString& caminho, const QDate& hoje);

}  // namespace cp
