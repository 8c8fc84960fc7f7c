// Program entry.
#include "app/Execucao.h"

int main(int argc, char** argv) { return cp::executaPrograma(argc, argv); }
