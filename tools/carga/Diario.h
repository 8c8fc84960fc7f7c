// The journal of a simulated workstation: one line per event, appended with
// one write each, so a workstation killed outright leaves every line written
// before. The load harness reads the journals back to count, time and check
// what each workstation saw.
//
//   B    <seq> <kind> <target> <value>               a write begins (the value it writes)
//   OK   <seq> <kind> <target> <micros> <value>      it ended and was reported done
//   ERR  <seq> <kind> <target> <micros> <conn> <text> it failed (conn: 1 when the
//                                                     connection was lost)
//   LIGA <pid>                                        a process of the workstation started
//   FIM  <reason>                                     the process ended on its own
//
//   MSG  <text>                                       a message the program showed
//
// Every line begins with the time it was written (milliseconds since the
// epoch) and a tab. Fields are separated by tabs; tabs and line breaks inside
// texts become blanks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace carga {

// The kinds of action a workstation runs.
inline constexpr const char* kLista = "lista";            // rebuild the due list
inline constexpr const char* kQuitar = "quitar";          // settle an installment
inline constexpr const char* kCancelar = "cancelar";      // cancel a settlement
inline constexpr const char* kNotaFiscal = "notafiscal";  // invoice number typed in the list
inline constexpr const char* kEditaConta = "editaconta";  // change an account in its details
inline constexpr const char* kNovaConta = "novaconta";    // new account and its installments

class Diario {
  public:
    explicit Diario(const std::string& path);
    ~Diario();
    Diario(const Diario&) = delete;
    Diario& operator=(const Diario&) = delete;

    void linha(const std::vector<std::string>& campos);

  private:
    int fd_ = -1;
};

struct Evento {
    std::int64_t ms = 0;  // when it was written
    std::string tipo;     // B, OK, ERR, LIGA, FIM, MSG
    std::string seq, kind, alvo, valor, texto;
    std::int64_t micros = 0;
    bool conexao = false;
};

// Every event of a journal file, in order; a last line cut by a kill is
// dropped.
std::vector<Evento> leDiario(const std::string& path);

}  // namespace carga
