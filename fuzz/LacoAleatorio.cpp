// The readers' fuzz entry point without libFuzzer: every file of a corpus,
// then a bounded number of inputs made from them by seeded random mutations
// (bytes changed, inserted, removed, repeated, lines of one file spliced into
// another, pieces of the formats put in). The same seed gives the same run.
//
//   fuzz_leitores <corpus folder> <number of inputs> [seed]
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::size_t kTamanhoMaximo = 8192;

const char* const kPedacos[] = {
    "\r\n",
    "\n",
    "\r",
    " ",
    "/",
    ":",
    ".",
    "$",
    "0x",
    "-",
    "+",
    "9",
    "0",
    "99999999999",
    "2147483647",
    "-2147483648",
    "15/03/24",
    "14/03/24",
    "00:00:00",
    "23:59:59",
    "29/02/24",
    "IP DO SERVIDOR CENTRAL.........................: ",
    "TEMPO PARA LOGOFF AUTOMATICO...................: ",
    "COR DE FUNDO DAS TELAS.........................: ",
    "CONSERVANTE ADICION. NAS EMBALAGENS DE CAPSULAS: ",
};

void roda(const std::string& s) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

std::string muta(std::string s, const std::vector<std::string>& corpus, std::mt19937_64& rng) {
    auto ate = [&rng](std::size_t n) {  // 0..n-1 (0 when n is 0)
        return n == 0 ? std::size_t{0} : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    const std::size_t passos = 1 + ate(8);
    for (std::size_t p = 0; p < passos; ++p) {
        const std::size_t pos = ate(s.size() + 1);
        switch (ate(7)) {
            case 0:
                if (!s.empty()) s[ate(s.size())] = static_cast<char>(ate(256));
                break;
            case 1:
                s.insert(pos, 1, static_cast<char>(ate(256)));
                break;
            case 2:
                s.erase(pos, 1 + ate(16));
                break;
            case 3:
                s.insert(pos, s.substr(pos, 1 + ate(64)));
                break;
            case 4: {
                const std::string& outro = corpus[ate(corpus.size())];
                const std::size_t de = ate(outro.size() + 1);
                s.insert(pos, outro.substr(de, 1 + ate(200)));
                break;
            }
            case 5:
                s.insert(pos, kPedacos[ate(std::size(kPedacos))]);
                break;
            default:
                s.insert(pos, std::string(1 + ate(300), static_cast<char>(ate(256))));
                break;
        }
        if (s.size() > kTamanhoMaximo) s.resize(kTamanhoMaximo);
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "uso: fuzz_leitores <pasta do corpus> <entradas> [semente]\n";
        return 2;
    }
    std::vector<std::string> corpus;
    for (const auto& e : std::filesystem::directory_iterator(argv[1])) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (corpus.empty()) {
        std::cerr << "fuzz_leitores: corpus vazio em " << argv[1] << "\n";
        return 2;
    }
    const long entradas = std::strtol(argv[2], nullptr, 10);
    std::mt19937_64 rng(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1);

    for (const std::string& s : corpus) roda(s);
    for (long i = 0; i < entradas; ++i) {
        const std::string& base =
            corpus[std::uniform_int_distribution<std::size_t>(0, corpus.size() - 1)(rng)];
        roda(muta(base, corpus, rng));
    }
    std::cout << "fuzz_leitores: " << corpus.size() << " arquivos do corpus e " << entradas
              << " entradas derivadas, sem falha\n";
    return 0;
}
