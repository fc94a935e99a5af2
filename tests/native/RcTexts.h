#pragma once
// The bar's texts and dialog captions as the language files of the resources
// hold them, read for the tests: English stands in for the resources the
// real program loads, and every language is checked against it.
#include <map>
#include <string>
#include <vector>

namespace lark::test {

struct RcControl {
    std::string text;
    std::string id;
};

struct RcLanguage {
    std::map<int, std::string> strings;                      // by text id
    std::map<std::string, std::vector<RcControl>> dialogs;   // by dialog name; the caption has id "CAPTION"
};

// resources/lang/<code>.rc, ids resolved through src/base/TextIds.h.
RcLanguage ReadLanguage(const std::string& code);

}  // namespace lark::test
