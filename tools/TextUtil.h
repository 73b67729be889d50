#pragma once
#include <string>
#include <vector>

// Small text helpers the tool's messages and the reference share.
class TextUtil {
public:
    static std::string Lower(std::string s);
    // The parts between separators; an empty text gives one empty part.
    static std::vector<std::string> Split(const std::string& text, char separator);
    // "a, b and c" (or the last word given instead of " and ").
    static std::string List(const std::vector<std::string>& items, const char* last = " and ");
    // Edit distance ignoring letter case, so that a case slip is the nearest.
    static size_t Distance(const std::string& a, const std::string& b);
    // Whether the distance is small enough for a slip of the pen.
    static bool Near(const std::string& word, size_t distance);
};
