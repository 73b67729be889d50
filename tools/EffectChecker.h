#pragma once
#include <string>
#include <vector>

// Checks an effect document against what the library's readers will read,
// walking the same layout the readers walk (ZrDocumentLayout). Errors are
// content the readers skip or misread; warnings are settings that work but
// probably do not do what the author meant.
class EffectChecker {
public:
    struct Finding {
        int line = 0;
        int column = 0;
        bool error = true;
        std::string message;
    };

    // folder: where the document lies, for resolving the paths it names
    // (empty for a container entry).
    static std::vector<Finding> Check(const std::string& text, const std::string& folder);

    // "file:line:column: error: message".
    static std::string Format(const std::string& file, const Finding& finding);

    // The check command: prints the findings of each effect (a file or a
    // container entry) on stdout, then, unless quiet, a count of what it
    // found on stderr; 1 when any error was found or an effect could not be
    // read, else 0.
    static int CheckCommand(const std::vector<std::string>& names, bool quiet = false);
};
