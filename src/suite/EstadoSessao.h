// The program-wide values of one run: who is working, at which work area,
// which period the due list shows, the defaults for new installments, the
// idle limit and the column lists of the selects. One instance lives for the
// whole run (owned by the main window); tests build their own. Texts are
// Windows-1252 bytes; a text with a capacity keeps only its first N
// characters when a longer one is assigned.
#pragma once

#include <QDate>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cp {

// A text of at most N characters: longer assignments are cut without a word.
template <std::size_t N>
class BoundedText {
  public:
    BoundedText() = default;
    BoundedText(std::string_view s) { assign(s); }  // NOLINT: assignment is the point
    BoundedText& operator=(std::string_view s) { return assign(s); }
    BoundedText& operator=(const std::string& s) { return assign(s); }
    BoundedText& operator=(const char* s) { return assign(s); }
    BoundedText& assign(std::string_view s) {
        value_.assign(s.substr(0, std::min(s.size(), N)));
        return *this;
    }
    const std::string& str() const { return value_; }
    operator const std::string&() const { return value_; }  // NOLINT
    bool empty() const { return value_.empty(); }
    std::size_t size() const { return value_.size(); }
    static constexpr std::size_t capacity = N;
    bool operator==(std::string_view s) const { return value_ == s; }

  private:
    std::string value_;
};

inline constexpr const char* kCamposFornecedor =
    "CODIGO, NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, TEL, FAX, E_MAIL, "
    "SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO";
inline constexpr const char* kCamposCPR =
    "CODIGOCPR, ESTACAO, NATUREZA, DESCRICAO, VALORTOTAL, DATA, CONDPAGTO, NPEDIDO, "
    "CODIGOPEDIDO, CODIGOCOMPRA, NFISCAL, ESTACAOCLIFOR, CODIGOCLIFOR, NOMECLIFOR, FONECLIFOR, "
    "ENDERECOCLIFOR, CEPBAICIDESTCLIFOR, CNPJCLIFOR, FABRICANTE, FAMILIA, GRUPDESP, CCUSTO, "
    "DATAREGISTRO, HORAREGISTRO, OBSERVACAO";
inline constexpr const char* kCamposParcelas =
    "CODIGOPARC, CODIGOCPR, ESTACAO, NPEDIDO, NUMPARCELA, VALORPARCELA, DATAVENCIM, VALORPAGO, "
    "DATAPAGTO, COBRANCABANC, CODIGOCTA, NUMDOCUMENTO, DATAEMISSAODOC, MEIO, QAUT, NATUREZA";
// The due list's unpaid clause (52 characters, beginning with a blank).
inline constexpr const char* kFiltroAPagar = " and (A.DataPagto is Null) and (A.ValorPago is Null)";

struct EstadoSessao {
    BoundedText<60> NomeUsuario;
    BoundedText<2> Estacao;
    std::string DiretorioPrograma;
    std::string CamposFornecedor;
    std::string CamposCPR;
    std::string CamposParcelas;
    QDate DataIniPeriodo;  // null date = the zero date
    QDate DataFimPeriodo;
    std::string FiltroAPagar;
    BoundedText<15> ContaBancoPadrao;
    BoundedText<15> MeioPagtoPadrao;
    std::int32_t MinutosLogoff = 0;
    BoundedText<30> TempoLogoff;
    BoundedText<30> IPServidorCentral;

    // Key generation (record persistence).
    std::int64_t MaiorCodigoCPR = 0;
    std::int64_t MaiorCodigoParc = 0;
    std::int64_t MaiorNumParcela = 0;

    // Payment condition and installment generation: the condition last
    // loaded, and the account's condition text when its field was entered or
    // when installments were last generated.
    BoundedText<15> TipoCondicao;
    BoundedText<251> DiasCondicao;  // room for a closing ","
    std::int32_t QdeParcelasCondicao = 0;
    BoundedText<40> CondPagtoAnterior;

    // Login and session resume.
    BoundedText<60> NomeUsuarioMaiusc;
    BoundedText<50> AcessoUsuario;
    BoundedText<60> ConferenciaLogon;
};

}  // namespace cp
