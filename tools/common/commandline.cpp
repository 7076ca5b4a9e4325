#include "common/commandline.h"

namespace tunedeck::tools {

void prepareHelp(CLI::App &app)
{
    app.get_formatter()->column_width(34);
    app.set_help_flag("-h,--help", "Print this help and exit");
}

CLI::Validator foldCount()
{
    return CLI::Range(2, 1000).description("");
}

std::optional<int> parseCommandLine(CLI::App &app, int argc, char **argv)
{
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        // CLI11's own codes for mistakes run past 100; the tools have always said 2.
        return app.exit(e) == 0 ? 0 : 2;
    }
    return std::nullopt;
}

} // namespace tunedeck::tools
