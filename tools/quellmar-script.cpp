// quellmar-script: compiles removal-script sources and dumps removal scripts
// back into sources. See --help and docs/script-format.md.
#include <iostream>
#include <string>
#include <vector>

#include "tools/script/ScriptCli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return qm::script::RunScriptTool(args, std::cout, std::cerr);
}
