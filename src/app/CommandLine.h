// What the programs' command lines share: the version, and one way of
// parsing that answers --help and --version on standard output with status
// 0, and a usage error with one line on standard error and status 2.
#pragma once

#include <functional>

namespace CLI {
class App;
class Validator;
}

constexpr int kUsageStatus = 2;
constexpr int kContinueStatus = -1;

// The project's version, e.g. "1.0.0".
const char* TessaryVersion();

// Adds --version to `app`, parses argv and returns kContinueStatus when the
// program should go on, otherwise the status to exit with (0 after --help or
// --version, kUsageStatus after an error, which is printed to stderr as
// "PROGRAM: message" followed by a hint to run --help).
int ParseCommandLine(CLI::App& app, int argc, char** argv);

// A check for an option whose text must be a whole decimal number within
// [min, max], read as every number of the programs is (config/Decimal.h):
// digits only, no sign but a leading '-', no blanks, no hexadecimal.
CLI::Validator WholeNumber(long long min, long long max);

// Runs a program's `body` and turns an exception that escapes it (a failed
// allocation, say) into a message on standard error and status 70, instead
// of an abort.
int RunGuarded(const char* program, const std::function<int()>& body);
