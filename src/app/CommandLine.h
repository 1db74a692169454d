#pragma once
// The program's own command-line options: --help and --version answer and
// exit; anything else that looks like an option is refused.
#include <string>
#include <vector>

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    // The refused argument, for the usage message.
    std::string refused;
};

// Reads the arguments after the program name, once the toolkit has taken
// its own options out. Arguments that are not options are ignored, as they
// always were; "--" ends the options.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text --help prints, and the one line printed before a refusal.
std::string HelpText(const std::string& program);
std::string UsageLine(const std::string& program);
// "Murmel Alarm 1.0.2".
std::string VersionText();

// What main prints and returns for an action other than Run: the exit code
// (0 for help and version, 2 for a refusal), filling `out` or `err`.
int AnswerCommandLine(const CommandLine& line, const std::string& program, std::string& out,
                      std::string& err);
