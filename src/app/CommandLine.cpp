#include "app/CommandLine.h"

#include <cstdio>
#include <exception>
#include <string>

#include <CLI/CLI.hpp>

#include "config/Decimal.h"

#ifndef TESSARY_VERSION
#define TESSARY_VERSION "unknown"
#endif

const char* TessaryVersion() { return TESSARY_VERSION; }

int ParseCommandLine(CLI::App& app, int argc, char** argv) {
    app.set_version_flag("--version", std::string(app.get_name()) + " " + TessaryVersion(),
                         "Print the version and exit");
    // CLI11 reports through exceptions; they stop here, at the edge of the
    // program, and become exit statuses.
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::CallForVersion& version) {
        std::printf("%s\n", version.what());
        return 0;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "%s: %s\nRun '%s --help' for the options.\n",
                     app.get_name().c_str(), error.what(), app.get_name().c_str());
        return kUsageStatus;
    }
    return kContinueStatus;
}

CLI::Validator WholeNumber(long long min, long long max) {
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    return CLI::Validator(
        [min, max, range](std::string& text) {
            long long value = 0;
            return ParseDecimal(std::string_view(text), min, max, &value)
                       ? std::string()
                       : "'" + text + "' is not a whole number from " + range;
        },
        "");
}

int RunGuarded(const char* program, const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s: stopped by an unexpected error: %s\n", program, failure.what());
    } catch (...) {
        std::fprintf(stderr, "%s: stopped by an unexpected error\n", program);
    }
    return 70;
}
