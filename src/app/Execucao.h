// The whole program, from the application object to the end of the window's
// event loop: what it created is gone when it returns.
#pragma once

#include <QString>
#include <functional>

namespace cp {

class Form1;

// Runs the program on the settings file of `programDir` (empty: the
// executable's folder). `aoMostrar`, when given, runs once the window has
// been shown, before its event loop starts. Returns the exit code.
int executaPrograma(int argc, char** argv, const QString& programDir = {},
                    const std::function<void(Form1&)>& aoMostrar = {});

}  // namespace cp
