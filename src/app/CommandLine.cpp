#include "app/CommandLine.h"

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            // Help wins over everything after it, as users expect from
            // "program --help --whatever".
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        }
        // A lone "-" is an argument by convention, not an option.
        if (arg.size() > 1 && arg[0] == '-') {
            line.action = CommandLine::Action::Refuse;
            line.refused = arg;
            return line;
        }
    }
    return line;
}

std::string UsageLine(const std::string& program) {
    return "Usage: " + program + " [--help] [--version] [GTK options]\n";
}

std::string HelpText(const std::string& program) {
    return UsageLine(program) +
           "\n"
           "Murmel Alarm lives in the tray, signs you in to your Murmel account,\n"
           "keeps the web client at hand and tells you about new messages.\n"
           "Started while it runs, it brings its window forward and exits.\n"
           "\n"
           "Options:\n"
           "  -h, --help     print this help and exit\n"
           "  --version      print the version and exit\n"
           "  GTK's own options, such as --display=DISPLAY, are accepted too.\n";
}

std::string VersionText() {
    return std::string("Murmel Alarm ") + MURMEL_VERSION + "\n";
}

int AnswerCommandLine(const CommandLine& line, const std::string& program, std::string& out,
                      std::string& err) {
    switch (line.action) {
        case CommandLine::Action::Help:
            out = HelpText(program);
            return 0;
        case CommandLine::Action::Version:
            out = VersionText();
            return 0;
        case CommandLine::Action::Refuse:
            err = program + ": unknown option '" + line.refused + "'\n" + UsageLine(program);
            return 2;
        case CommandLine::Action::Run:
            break;
    }
    return 0;
}
