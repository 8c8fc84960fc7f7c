#include "suite/cobranca/Bancos.h"

#include <algorithm>
#include <iterator>

namespace cp {

namespace {

struct Banco {
    std::string_view codigo;
    const char16_t* nome;
};

// Ordered by code.
constexpr Banco kBancos[] = {
    {"001", u"Banco do Brasil"},
    {"003", u"Banco da Amazônia"},
    {"004", u"Banco do Nordeste"},
    {"021", u"Banestes"},
    {"033", u"Santander"},
    {"041", u"Banrisul"},
    {"047", u"Banese"},
    {"070", u"BRB - Banco de Brasília"},
    {"077", u"Banco Inter"},
    {"085", u"Ailos"},
    {"104", u"Caixa Econômica Federal"},
    {"121", u"Agibank"},
    {"136", u"Unicred"},
    {"197", u"Stone"},
    {"208", u"BTG Pactual"},
    {"212", u"Banco Original"},
    {"218", u"Banco BS2"},
    {"237", u"Bradesco"},
    {"246", u"Banco ABC Brasil"},
    {"260", u"Nu Pagamentos (Nubank)"},
    {"290", u"PagSeguro (PagBank)"},
    {"318", u"Banco BMG"},
    {"323", u"Mercado Pago"},
    {"336", u"Banco C6"},
    {"341", u"Itaú Unibanco"},
    {"380", u"PicPay"},
    {"389", u"Banco Mercantil do Brasil"},
    {"422", u"Banco Safra"},
    {"623", u"Banco Pan"},
    {"633", u"Banco Rendimento"},
    {"655", u"Banco Votorantim"},
    {"707", u"Banco Daycoval"},
    {"745", u"Citibank"},
    {"746", u"Banco Modal"},
    {"748", u"Sicredi"},
    {"756", u"Sicoob"},
};

static_assert(std::is_sorted(std::begin(kBancos), std::end(kBancos),
                             [](const Banco& a, const Banco& b) { return a.codigo < b.codigo; }));

}  // namespace

QString nomeDoBanco(std::string_view codigo) {
    const auto it =
        std::lower_bound(std::begin(kBancos), std::end(kBancos), codigo,
                         [](const Banco& b, std::string_view c) { return b.codigo < c; });
    if (it == std::end(kBancos) || it->codigo != codigo) return {};
    return QString::fromUtf16(it->nome);
}

}  // namespace cp
